// The process's GDI: palettes, device contexts and the system palette,
// all behind one lock.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>
#include <windows.h>

#include "gdi/handle_table.h"
#include "gdi/hardware_palette.h"
#include "gdi/nearest_colour_memo.h"

namespace standin {

struct PaletteObject {
    std::vector<PALETTEENTRY> entries;
    bool stock = false;  // DEFAULT_PALETTE: never deleted or changed
    // Nearest-colour answers for `entries`; made on the first question and
    // dropped when the entries change.
    std::shared_ptr<NearestColourMemo> nearest;
};

struct DeviceContext {
    HWND window = nullptr;  // null: the whole screen
    uintptr_t palette = 0;  // selected palette
    bool background = false;  // selected with bForceBackground
};

struct GdiState {
    GdiState();

    std::mutex mutex;
    HandleTable<PaletteObject> palettes{HandleKind::kPalette};
    HandleTable<DeviceContext> deviceContexts{HandleKind::kDeviceContext};
    uintptr_t stockPalette = 0;
    uintptr_t foregroundPalette = 0;  // last palette realised in the foreground
    HardwarePalette hardware;
    // Entry storage of deleted palettes, for the next ones: a host that
    // makes and deletes a palette per frame then allocates nothing.
    std::array<std::vector<PALETTEENTRY>, 4> spareEntries;
    size_t spareCount = 0;
};

// The one GDI of the process; never destroyed, so threads that outlive
// static destruction still find it.
GdiState &Gdi();

}  // namespace standin
