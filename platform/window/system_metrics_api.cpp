// GetSystemMetrics: the screen's size and the window frame's sizes.
#include <windows.h>

#include "screen/screen_mode.h"
#include "window/window_frame.h"

extern "C" {

int WINAPI GetSystemMetrics(int nIndex) {
    const standin::ScreenMode &mode = standin::CurrentScreenMode();
    switch (nIndex) {
        case SM_CXSCREEN: return static_cast<int>(mode.width);
        case SM_CYSCREEN: return static_cast<int>(mode.height);
        case SM_CYCAPTION: return standin::kCaptionHeight;
        case SM_CXBORDER:
        case SM_CYBORDER: return standin::kBorderThickness;
        case SM_CXFRAME:
        case SM_CYFRAME: return standin::kFrameThickness;
        default: return 0;
    }
}

}  // extern "C"
