#include "screen_picture.h"

#include "moviegen/moviegen.h"
#include "surface_pixels.h"

bool ReadScreen(IDirectDrawSurface *primary, const RECT &rect, ScreenPicture *picture) {
    SurfacePicture screen;
    if (!ReadSurface(primary, nullptr, &screen) || screen.bitsPerPixel < 16) return false;
    if (rect.left < 0 || rect.top < 0 || rect.right > LONG(screen.width) || rect.bottom > LONG(screen.height) ||
        rect.left >= rect.right || rect.top >= rect.bottom)
        return false;
    picture->width = rect.right - rect.left;
    picture->height = rect.bottom - rect.top;
    picture->rgb.clear();
    for (LONG y = rect.top; y < rect.bottom; ++y) {
        const auto row = screen.rgb.begin() + (size_t(y) * screen.width + rect.left) * 3;
        picture->rgb.insert(picture->rgb.end(), row, row + size_t(picture->width) * 3);
    }
    return true;
}

int FrameShown(const ScreenPicture &picture) {
    if (picture.rgb.empty()) return -1;
    return moviegen::ReadFrameIndex(picture.rgb.data(), picture.width, picture.height, size_t(picture.width) * 3);
}

ScreenPicture HalveScreenPicture(const ScreenPicture &picture) {
    ScreenPicture half;
    half.width = picture.width / 2;
    half.height = picture.height / 2;
    half.rgb.reserve(size_t(half.width) * half.height * 3);
    for (int y = 0; y < half.height; ++y)
        for (int x = 0; x < half.width; ++x) {
            const auto pixel = picture.rgb.begin() + (size_t(2 * y) * picture.width + 2 * x) * 3;
            half.rgb.insert(half.rgb.end(), pixel, pixel + 3);
        }
    return half;
}
