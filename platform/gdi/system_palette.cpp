#include "gdi/system_palette.h"

#include <algorithm>

#include "gdi/gdi_state.h"

namespace standin {

void SnapshotSystemPalette(PALETTEENTRY out[256]) {
    GdiState &gdi = Gdi();
    std::lock_guard<std::mutex> lock(gdi.mutex);
    std::copy_n(gdi.hardware.colours(), 256, out);
}

}  // namespace standin
