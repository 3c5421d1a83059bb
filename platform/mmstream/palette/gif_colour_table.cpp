#include "mmstream/palette/gif_colour_table.h"

#include <cstring>

namespace standin::mmstream {

bool ReadGifColourTable(const uint8_t *data, size_t size, std::array<uint32_t, 256> *palette) {
    // Signature (6 bytes), then the logical screen descriptor: width and
    // height (2 bytes each), flags, background colour, aspect ratio.
    constexpr size_t kHeader = 13;
    if (size < kHeader || (std::memcmp(data, "GIF87a", 6) != 0 && std::memcmp(data, "GIF89a", 6) != 0)) return false;
    const uint8_t flags = data[10];
    if (!(flags & 0x80)) return false;
    const size_t entries = size_t{1} << ((flags & 7) + 1);
    if (size < kHeader + entries * 3) return false;
    palette->fill(0);
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t *rgb = data + kHeader + i * 3;
        (*palette)[i] = (uint32_t{rgb[0]} << 16) | (uint32_t{rgb[1]} << 8) | rgb[2];
    }
    return true;
}

}  // namespace standin::mmstream
