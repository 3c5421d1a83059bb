// Writes an RGB image as a PNG file through libpng.
#pragma once

#include <windows.h>

#include "screen/screen_rgb.h"

namespace standin {

// S_OK; E_ACCESSDENIED when the file may not be created, the
// HRESULT of ERROR_FILE_NOT_FOUND when its folder does not exist, E_FAIL
// for any other failure. A half-written file that did not exist before
// is removed.
HRESULT WritePng(const char *path, const RgbImage &image);

}  // namespace standin
