#include "ddraw_test_support.h"

#include <cstring>

namespace ddtest {

namespace {

struct Locked {
    explicit Locked(IDirectDrawSurface *surface) : surface(surface) {
        desc.dwSize = sizeof(desc);
        ok = surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) == DD_OK;
    }
    ~Locked() {
        if (ok) surface->Unlock(nullptr);
    }
    BYTE *At(DWORD x, DWORD y) const {
        return static_cast<BYTE *>(desc.lpSurface) + y * desc.lPitch + x * (desc.ddpfPixelFormat.dwRGBBitCount / 8);
    }
    DWORD Bytes() const { return desc.ddpfPixelFormat.dwRGBBitCount / 8; }

    IDirectDrawSurface *surface;
    DDSURFACEDESC desc = {};
    bool ok = false;
};

}  // namespace

Owned<IDirectDraw> OpenDirectDraw() {
    IDirectDraw *dd = nullptr;
    if (DirectDrawCreate(nullptr, &dd, nullptr) != DD_OK) return nullptr;
    return Owned<IDirectDraw>(dd);
}

DDSURFACEDESC SurfaceDesc(DWORD flags, DWORD caps) {
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = flags;
    desc.ddsCaps.dwCaps = caps;
    return desc;
}

DDPIXELFORMAT RgbFormat(DWORD bits) {
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof(format);
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = bits;
    if (bits == 8) {
        format.dwFlags |= DDPF_PALETTEINDEXED8;
    } else if (bits == 16) {
        format.dwRBitMask = 0xF800;
        format.dwGBitMask = 0x07E0;
        format.dwBBitMask = 0x001F;
    } else {
        format.dwRBitMask = 0xFF0000;
        format.dwGBitMask = 0x00FF00;
        format.dwBBitMask = 0x0000FF;
    }
    return format;
}

Owned<IDirectDrawSurface> MakeOffscreen(IDirectDraw *dd, DWORD width, DWORD height, DWORD bits) {
    DDSURFACEDESC desc =
        SurfaceDesc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
    desc.dwWidth = width;
    desc.dwHeight = height;
    if (bits) {
        desc.dwFlags |= DDSD_PIXELFORMAT;
        desc.ddpfPixelFormat = RgbFormat(bits);
    }
    IDirectDrawSurface *surface = nullptr;
    if (dd->CreateSurface(&desc, &surface, nullptr) != DD_OK) return nullptr;
    return Owned<IDirectDrawSurface>(surface);
}

Owned<IDirectDrawSurface> MakePrimary(IDirectDraw *dd) {
    DDSURFACEDESC desc = SurfaceDesc(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE);
    IDirectDrawSurface *surface = nullptr;
    if (dd->CreateSurface(&desc, &surface, nullptr) != DD_OK) return nullptr;
    return Owned<IDirectDrawSurface>(surface);
}

void PutPixel(IDirectDrawSurface *surface, DWORD x, DWORD y, DWORD value) {
    Locked lock(surface);
    if (lock.ok) std::memcpy(lock.At(x, y), &value, lock.Bytes());
}

DWORD GetPixel(IDirectDrawSurface *surface, DWORD x, DWORD y) {
    Locked lock(surface);
    DWORD value = 0xDEADBEEF;
    if (lock.ok) {
        value = 0;
        std::memcpy(&value, lock.At(x, y), lock.Bytes());
    }
    return value;
}

void PaintCoordinates(IDirectDrawSurface *surface) {
    Locked lock(surface);
    if (!lock.ok) return;
    for (DWORD y = 0; y < lock.desc.dwHeight; ++y) {
        for (DWORD x = 0; x < lock.desc.dwWidth; ++x) {
            const DWORD value = Coordinate(x, y);
            std::memcpy(lock.At(x, y), &value, lock.Bytes());
        }
    }
}

}  // namespace ddtest
