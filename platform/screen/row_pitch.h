// Row padding shared by the screen and every surface: a row's byte width
// rounded up to a multiple of 8, so odd widths show up as pitch != width.
#pragma once

#include <windows.h>

namespace standin {

// False when the pitch would not fit in a LONG.
bool PaddedRowPitch(DWORD width, DWORD bitsPerPixel, LONG *pitch);

}  // namespace standin
