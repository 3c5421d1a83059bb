// The pixel loops behind Blt: nearest-neighbour stretch and colour fill.
#pragma once

#include <windows.h>

namespace standin {

// A rectangle of pixels: `origin` is its top-left pixel, rows `pitch` apart.
struct PixelBlock {
    BYTE *origin;
    LONG pitch;
    DWORD width;
    DWORD height;
};

// Copies `from` onto `to`, picking for each destination pixel the source
// pixel at the same relative position (rounded down), so equal sizes copy
// exactly, doubling repeats each pixel and halving keeps every other one.
// The blocks must not overlap.
void StretchPixels(const PixelBlock &from, const PixelBlock &to, DWORD bytesPerPixel);

// Sets every pixel of `to` to the low bytes of `value`, little-endian.
void FillPixels(const PixelBlock &to, DWORD bytesPerPixel, DWORD value);

}  // namespace standin
