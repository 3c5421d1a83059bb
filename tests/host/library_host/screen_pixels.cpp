#include "screen_pixels.h"

#include <algorithm>
#include <cstring>

namespace {

// The channel's value scaled to 8 bits.
uint8_t channel(uint32_t pixel, DWORD mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    return static_cast<uint8_t>(((pixel & mask) >> shift) * 255 / (mask >> shift));
}

std::vector<PALETTEENTRY> systemPalette() {
    std::vector<PALETTEENTRY> palette(256, PALETTEENTRY{0, 0, 0, 0});
    const HDC screen = GetDC(nullptr);
    GetSystemPaletteEntries(screen, 0, 256, palette.data());
    ReleaseDC(nullptr, screen);
    return palette;
}

bool lockScreen(IDirectDrawSurface *primary, DDSURFACEDESC *desc) {
    std::memset(desc, 0, sizeof *desc);
    desc->dwSize = sizeof *desc;
    return primary->Lock(nullptr, desc, DDLOCK_WAIT, nullptr) == DD_OK;
}

int distance(const uint8_t *a, const uint8_t *b) {
    const int red = a[0] - b[0], green = a[1] - b[1], blue = a[2] - b[2];
    return red * red + green * green + blue * blue;
}

}  // namespace

bool ClearScreen(IDirectDrawSurface *primary) {
    DDSURFACEDESC desc;
    if (!lockScreen(primary, &desc)) return false;
    std::memset(desc.lpSurface, 0, size_t(desc.lPitch) * desc.dwHeight);
    primary->Unlock(nullptr);
    return true;
}

std::vector<uint8_t> ScreenRgb(IDirectDrawSurface *primary, const RECT &area) {
    const std::vector<PALETTEENTRY> palette = systemPalette();
    DDSURFACEDESC desc;
    if (!lockScreen(primary, &desc)) return {};
    const DWORD bytes = desc.ddpfPixelFormat.dwRGBBitCount / 8;
    std::vector<uint8_t> rgb;
    for (LONG y = area.top; y < area.bottom; ++y) {
        const auto *row = static_cast<const uint8_t *>(desc.lpSurface) + y * desc.lPitch;
        for (LONG x = area.left; x < area.right; ++x) {
            if (bytes == 1) {
                const PALETTEENTRY &entry = palette[row[x]];
                rgb.insert(rgb.end(), {entry.peRed, entry.peGreen, entry.peBlue});
                continue;
            }
            uint32_t pixel = 0;
            std::memcpy(&pixel, row + x * bytes, bytes);
            rgb.insert(rgb.end(), {channel(pixel, desc.ddpfPixelFormat.dwRBitMask),
                                   channel(pixel, desc.ddpfPixelFormat.dwGBitMask),
                                   channel(pixel, desc.ddpfPixelFormat.dwBBitMask)});
        }
    }
    primary->Unlock(nullptr);
    return rgb;
}

std::vector<uint8_t> ScreenPicture(IDirectDrawSurface *primary, const RECT &area, int width, int height) {
    const std::vector<uint8_t> shown = ScreenRgb(primary, area);
    const LONG areaWidth = area.right - area.left, areaHeight = area.bottom - area.top;
    if (shown.empty() || width <= 0 || height <= 0) return {};
    std::vector<uint8_t> picture;
    for (int y = 0; y < height; ++y) {
        const LONG from = (2 * y + 1) * areaHeight / (2 * height);
        for (int x = 0; x < width; ++x) {
            const auto at = shown.begin() + (size_t(from) * areaWidth + (2 * x + 1) * areaWidth / (2 * width)) * 3;
            picture.insert(picture.end(), at, at + 3);
        }
    }
    return picture;
}

bool NearestSystemColours(const std::vector<uint8_t> &shown, const std::vector<uint8_t> &wanted) {
    if (shown.size() != wanted.size()) return false;
    const std::vector<PALETTEENTRY> palette = systemPalette();
    for (size_t at = 0; at + 2 < wanted.size(); at += 3) {
        int best = 1 << 30;
        for (const PALETTEENTRY &entry : palette) {
            const uint8_t colour[3] = {entry.peRed, entry.peGreen, entry.peBlue};
            best = std::min(best, distance(colour, &wanted[at]));
        }
        if (distance(&shown[at], &wanted[at]) != best) return false;
    }
    return true;
}
