#include "screen/row_pitch.h"

#include <cstdint>
#include <limits>

namespace standin {

bool PaddedRowPitch(DWORD width, DWORD bitsPerPixel, LONG *pitch) {
    const std::uint64_t rowBytes = (std::uint64_t{width} * bitsPerPixel + 7) / 8;
    const std::uint64_t padded = (rowBytes + 7) / 8 * 8;
    if (padded > std::uint64_t{std::numeric_limits<LONG>::max()}) return false;
    *pitch = static_cast<LONG>(padded);
    return true;
}

}  // namespace standin
