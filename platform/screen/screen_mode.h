// The mode of the process's one virtual display ("the screen").
#pragma once

#include <windows.h>

namespace standin {

struct ScreenMode {
    DWORD width = 1024;
    DWORD height = 768;
    DWORD bitsPerPixel = 32;  // 8, 16, 24 or 32; 8 is palettized

    bool palettized() const { return bitsPerPixel == 8; }
};

// Parses "WIDTHxHEIGHTxBITS" (e.g. "640x480x8"); false for anything else.
bool ParseScreenMode(const char *text, ScreenMode *mode);

// The screen's mode, read once from VIDSURF_DISPLAY (default 1024x768x32;
// a value that does not parse also gives the default).
const ScreenMode &CurrentScreenMode();

}  // namespace standin
