// Writes a decoded frame into a rectangle of a DirectDraw surface.
#pragma once

#include <ddraw.h>

#include "mmstream/frame_painter.h"

struct AVFrame;

namespace standin::mmstream {

// Locks the surface, paints the frame scaled to the rectangle and unlocks
// it. The rectangle must lie inside the surface (DDERR_INVALIDRECT
// otherwise).
HRESULT WriteFrameToSurface(IDirectDrawSurface *surface, const RECT &rect, const AVFrame &frame,
                            FramePainter &painter);

}  // namespace standin::mmstream
