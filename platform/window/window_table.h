// The process's windows: the desktop and the host's top-level windows,
// behind one lock.
#pragma once

#include <cstdint>
#include <mutex>
#include <windows.h>

#include "gdi/handle_table.h"

namespace standin {

struct WindowRecord {
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{};            // window rectangle in screen coordinates
    uintptr_t owner = 0;    // destroyed along with its owner
    bool desktop = false;
};

struct WindowTable {
    WindowTable();

    std::mutex mutex;
    HandleTable<WindowRecord> windows{HandleKind::kWindow};
    uintptr_t desktop = 0;
};

// The one window table of the process; never destroyed.
WindowTable &Windows();

// The client area of `window` in screen coordinates; empty, never
// inverted, when the window is smaller than its frame.
RECT ClientRectOnScreen(const WindowRecord &window);

}  // namespace standin
