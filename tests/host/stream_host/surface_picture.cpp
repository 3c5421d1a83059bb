#include "surface_picture.h"

#include <cstring>

namespace {

// One colour channel of a packed pixel, scaled to 0-255.
uint8_t Channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const uint32_t max = mask >> shift;
    const uint32_t value = (pixel & mask) >> shift;
    return static_cast<uint8_t>(max == 255 ? value : value * 255 / max);
}

}  // namespace

bool ReadSurface(IDirectDrawSurface *surface, SurfacePicture *picture) {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return false;
    picture->width = static_cast<int>(desc.dwWidth);
    picture->height = static_cast<int>(desc.dwHeight);
    picture->bytesPerPixel = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount / 8);
    picture->format = desc.ddpfPixelFormat;
    const size_t rowBytes = static_cast<size_t>(picture->width) * picture->bytesPerPixel;
    picture->pixels.resize(rowBytes * picture->height);
    const auto *source = static_cast<const uint8_t *>(desc.lpSurface);
    for (int y = 0; y < picture->height; ++y)
        std::memcpy(&picture->pixels[y * rowBytes], source + static_cast<ptrdiff_t>(y) * desc.lPitch, rowBytes);
    surface->Unlock(nullptr);
    return true;
}

std::vector<uint8_t> PictureRgb24(const SurfacePicture &picture, const PALETTEENTRY *palette) {
    const size_t count = static_cast<size_t>(picture.width) * picture.height;
    std::vector<uint8_t> rgb(count * 3);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t *at = &picture.pixels[i * picture.bytesPerPixel];
        if (picture.bytesPerPixel == 1) {
            rgb[i * 3] = palette[*at].peRed;
            rgb[i * 3 + 1] = palette[*at].peGreen;
            rgb[i * 3 + 2] = palette[*at].peBlue;
            continue;
        }
        uint32_t pixel = 0;  // little-endian, as the surface stores it
        for (int b = 0; b < picture.bytesPerPixel; ++b) pixel |= static_cast<uint32_t>(at[b]) << (8 * b);
        rgb[i * 3] = Channel(pixel, picture.format.dwRBitMask);
        rgb[i * 3 + 1] = Channel(pixel, picture.format.dwGBitMask);
        rgb[i * 3 + 2] = Channel(pixel, picture.format.dwBBitMask);
    }
    return rgb;
}
