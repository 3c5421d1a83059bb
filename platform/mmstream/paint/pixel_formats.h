// Comparing surface formats, and asking a surface for its own.
#pragma once

#include <ddraw.h>

namespace standin::mmstream {

bool IsPalettized(const DDPIXELFORMAT &format);

// Same pixel layout: depth, palettization and colour masks.
bool SamePixelFormat(const DDPIXELFORMAT &a, const DDPIXELFORMAT &b);

// The pixel formats SetFormat takes, in the one form each is kept in:
// 8- and 4-bit palettized (DDPF_RGB may be left out), RGB 565 and 555,
// 24- and 32-bit RGB with red in the high byte. False for anything else:
// alpha, YUV, FOURCC, other depths or masks.
bool NormalizeStreamPixelFormat(const DDPIXELFORMAT &requested, DDPIXELFORMAT *normalized);

// The surface's size and pixel format.
HRESULT DescribeSurface(IDirectDrawSurface *surface, DDSURFACEDESC *description);

// Whether `rect` is not empty and lies inside a surface described by
// `surface`.
bool RectInside(const RECT &rect, const DDSURFACEDESC &surface);

// Whether `rect` has the frame size of `frame` and lies inside a surface
// described by `surface`.
bool FrameFits(const RECT &rect, const DDSURFACEDESC &frame, const DDSURFACEDESC &surface);

}  // namespace standin::mmstream
