#include "screen_reader.h"

#include <cstring>

#include "moviegen/moviegen.h"
#include "surface_pixels.h"

ScreenReader::ScreenReader(IDirectDraw *directDraw) {
    if (directDraw == nullptr) return;
    directDraw->SetCooperativeLevel(GetDesktopWindow(), DDSCL_NORMAL);
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    directDraw->CreateSurface(&desc, &primary_, nullptr);
}

ScreenReader::~ScreenReader() {
    if (primary_ != nullptr) primary_->Release();
}

std::vector<uint8_t> ScreenReader::rgb(const RECT &area) const {
    const std::vector<PALETTEENTRY> palette = SystemPalette();
    SurfacePicture screen;
    if (primary_ == nullptr || !ReadSurface(primary_, palette.data(), &screen)) return {};
    std::vector<uint8_t> picked;
    for (LONG y = area.top; y < area.bottom; ++y) {
        const size_t rowStart = (size_t(y) * screen.width + size_t(area.left)) * 3;
        picked.insert(picked.end(), screen.rgb.begin() + rowStart,
                      screen.rgb.begin() + rowStart + size_t(area.right - area.left) * 3);
    }
    return picked;
}

int ScreenReader::frameIndex(const RECT &area) const {
    const std::vector<uint8_t> picture = rgb(area);
    const int width = area.right - area.left;
    if (picture.empty()) return -1;
    return moviegen::ReadFrameIndex(picture.data(), width, area.bottom - area.top, size_t(width) * 3);
}

std::vector<PALETTEENTRY> SystemPalette() {
    std::vector<PALETTEENTRY> palette(256, PALETTEENTRY{0, 0, 0, 0});
    const HDC screen = GetDC(nullptr);
    GetSystemPaletteEntries(screen, 0, 256, palette.data());
    ReleaseDC(nullptr, screen);
    return palette;
}
