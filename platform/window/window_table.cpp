#include "window/window_table.h"

#include <algorithm>

#include "screen/screen_mode.h"
#include "window/window_frame.h"

namespace standin {

WindowTable::WindowTable() {
    const ScreenMode &mode = CurrentScreenMode();
    WindowRecord screen;
    screen.style = WS_POPUP | WS_VISIBLE;
    screen.rect = RECT{0, 0, static_cast<LONG>(mode.width), static_cast<LONG>(mode.height)};
    screen.desktop = true;
    desktop = windows.Add(screen);
}

WindowTable &Windows() {
    static WindowTable *table = new WindowTable();
    return *table;
}

RECT ClientRectOnScreen(const WindowRecord &window) {
    const FrameInsets insets = NonClientInsets(window.style);
    RECT client;
    client.left = window.rect.left + insets.left;
    client.top = window.rect.top + insets.top;
    client.right = std::max(client.left, window.rect.right - insets.right);
    client.bottom = std::max(client.top, window.rect.bottom - insets.bottom);
    return client;
}

}  // namespace standin
