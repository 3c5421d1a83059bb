// Comparing surface formats, and asking a surface for its own.
#pragma once

#include <ddraw.h>

namespace standin::mmstream {

bool IsPalettized(const DDPIXELFORMAT &format);

// Same pixel layout: depth, palettization and colour masks.
bool SamePixelFormat(const DDPIXELFORMAT &a, const DDPIXELFORMAT &b);

// The surface's size and pixel format.
HRESULT DescribeSurface(IDirectDrawSurface *surface, DDSURFACEDESC *description);

// Whether `rect` has the frame size of `frame` and lies inside a surface
// described by `surface`.
bool FrameFits(const RECT &rect, const DDSURFACEDESC &frame, const DDSURFACEDESC &surface);

}  // namespace standin::mmstream
