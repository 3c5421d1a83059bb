// The pixel formats that surfaces can have: 8-bit palettized, RGB565 and
// 24/32-bit RGB888.
#pragma once

#include <ddraw.h>

namespace standin {

// The format of a screen or surface at 8, 16, 24 or 32 bits per pixel.
DDPIXELFORMAT PixelFormatForDepth(DWORD bitsPerPixel);

// Checks a caller's format and rewrites it in the form PixelFormatForDepth
// gives; false for anything a surface cannot hold (other masks, alpha,
// FOURCC, YUV, fewer than 8 bits).
bool NormalizePixelFormat(const DDPIXELFORMAT &requested, DDPIXELFORMAT *normalized);

// Whether pixels of `a` copy into `b` unchanged (both normalized).
bool PixelFormatsMatch(const DDPIXELFORMAT &a, const DDPIXELFORMAT &b);

}  // namespace standin
