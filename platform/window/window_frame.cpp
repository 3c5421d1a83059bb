#include "window/window_frame.h"

namespace standin {

DWORD TopLevelStyle(DWORD style) { return (style & WS_POPUP) ? style : style | WS_CAPTION; }

FrameInsets NonClientInsets(DWORD style) {
    const bool caption = (style & WS_CAPTION) == WS_CAPTION;
    int frame = 0;
    if (caption || (style & (WS_THICKFRAME | WS_DLGFRAME)))
        frame = kFrameThickness;
    else if (style & WS_BORDER)
        frame = kBorderThickness;
    FrameInsets insets;
    insets.left = insets.right = insets.bottom = frame;
    insets.top = frame + (caption ? kCaptionHeight : 0);
    return insets;
}

}  // namespace standin
