#include "surface_pixels.h"

#include <cstring>

namespace {

// The channel's value scaled to 8 bits.
uint8_t channel(uint32_t pixel, DWORD mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    const uint32_t max = mask >> shift;
    return static_cast<uint8_t>(((pixel & mask) >> shift) * 255 / max);
}

}  // namespace

bool ReadSurface(IDirectDrawSurface *surface, const PALETTEENTRY *palette, SurfacePicture *picture) {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return false;

    picture->width = desc.dwWidth;
    picture->height = desc.dwHeight;
    picture->bitsPerPixel = desc.ddpfPixelFormat.dwRGBBitCount;
    picture->pitch = desc.lPitch;
    picture->indices.clear();
    picture->rgb.assign(size_t{desc.dwWidth} * desc.dwHeight * 3, 0);
    const DWORD bytesPerPixel = picture->bitsPerPixel / 8;
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
        const auto *row = static_cast<const uint8_t *>(desc.lpSurface) + y * desc.lPitch;
        for (DWORD x = 0; x < desc.dwWidth; ++x) {
            uint8_t *out = &picture->rgb[(size_t{y} * desc.dwWidth + x) * 3];
            if (bytesPerPixel == 1) {
                picture->indices.push_back(row[x]);
                if (palette != nullptr) {
                    out[0] = palette[row[x]].peRed;
                    out[1] = palette[row[x]].peGreen;
                    out[2] = palette[row[x]].peBlue;
                }
                continue;
            }
            uint32_t pixel = 0;
            std::memcpy(&pixel, row + x * bytesPerPixel, bytesPerPixel);  // little-endian
            out[0] = channel(pixel, desc.ddpfPixelFormat.dwRBitMask);
            out[1] = channel(pixel, desc.ddpfPixelFormat.dwGBitMask);
            out[2] = channel(pixel, desc.ddpfPixelFormat.dwBBitMask);
        }
    }
    surface->Unlock(nullptr);
    return true;
}
