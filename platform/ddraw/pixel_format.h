// The pixel formats that surfaces can have: 4- and 8-bit palettized, RGB565,
// 24/32-bit RGB888 and 32-bit ARGB8888.
#pragma once

#include <ddraw.h>

namespace standin {

// The format of a screen or surface at 8, 16, 24 or 32 bits per pixel.
DDPIXELFORMAT PixelFormatForDepth(DWORD bitsPerPixel);

// Checks a caller's format and rewrites it in the form PixelFormatForDepth
// gives (with alpha or 4 bits added where asked); false for anything a
// surface cannot hold (other masks, alpha but on 32 bits, FOURCC, YUV).
bool NormalizePixelFormat(const DDPIXELFORMAT &requested, DDPIXELFORMAT *normalized);

// Whether each pixel takes whole bytes: blits and fills need it (4-bit
// surfaces are only locked).
bool WholeBytePixels(const DDPIXELFORMAT &format);

// Whether pixels of `a` copy into `b` unchanged (both normalized).
bool PixelFormatsMatch(const DDPIXELFORMAT &a, const DDPIXELFORMAT &b);

}  // namespace standin
