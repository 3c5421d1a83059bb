#include "screen/screen_mode.h"

#include <cstdio>
#include <cstdlib>

namespace standin {

bool ParseScreenMode(const char *text, ScreenMode *mode) {
    if (!text) return false;
    unsigned width = 0, height = 0, bits = 0;
    char trailing = 0;
    if (std::sscanf(text, "%ux%ux%u%c", &width, &height, &bits, &trailing) != 3) return false;
    if (width == 0 || height == 0 || width > 16384 || height > 16384) return false;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    mode->width = width;
    mode->height = height;
    mode->bitsPerPixel = bits;
    return true;
}

const ScreenMode &CurrentScreenMode() {
    static const ScreenMode mode = [] {
        ScreenMode parsed;
        if (!ParseScreenMode(std::getenv("VIDSURF_DISPLAY"), &parsed)) parsed = ScreenMode{};
        return parsed;
    }();
    return mode;
}

}  // namespace standin

extern "C" void StandinScreenMode(DWORD *width, DWORD *height, DWORD *bitsPerPixel) {
    const standin::ScreenMode &mode = standin::CurrentScreenMode();
    if (width) *width = mode.width;
    if (height) *height = mode.height;
    if (bitsPerPixel) *bitsPerPixel = mode.bitsPerPixel;
}
