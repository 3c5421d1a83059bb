// The screen as 8-bit RGB triples, the form the PNG writer and the desktop
// mirror both show.
#pragma once

#include <vector>

#include <windows.h>

namespace standin {

struct RgbImage {
    DWORD width = 0;
    DWORD height = 0;
    std::vector<BYTE> rgb;  // rows of width * 3 bytes, top row first, no gaps
};

// One row of screen pixels at `bitsPerPixel` as RGB. `palette` (256
// entries) maps 8-bit pixels and is not read at other depths; 16-bit pixels
// are RGB565, 24 and 32-bit ones B, G, R in memory.
void ConvertRowToRgb(const BYTE *pixels, DWORD width, DWORD bitsPerPixel, const PALETTEENTRY *palette, BYTE *rgb);

// A consistent copy of the whole screen; an 8-bit screen goes through the
// current system palette.
RgbImage CaptureScreenRgb();

}  // namespace standin
