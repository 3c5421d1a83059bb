// The non-client frame of top-level windows: caption and border sizes,
// reported through GetSystemMetrics.
#pragma once

#include <windows.h>

namespace standin {

constexpr int kCaptionHeight = 23;  // SM_CYCAPTION
constexpr int kFrameThickness = 4;  // SM_CXFRAME, SM_CYFRAME
constexpr int kBorderThickness = 1;  // SM_CXBORDER, SM_CYBORDER

struct FrameInsets {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Windows gives every top-level window that is not a popup a caption.
DWORD TopLevelStyle(DWORD style);

// How far the client area lies inside the window rectangle: a frame on
// every side for a caption, a sizing or a dialog frame, a one-pixel border
// for WS_BORDER alone, and the caption's height on top.
FrameInsets NonClientInsets(DWORD style);

}  // namespace standin
