#include "common/screen.h"

#include <cstdint>

Screen::Screen(bool withPrimary) : withPrimary_(withPrimary) {
    if (DirectDrawCreate(nullptr, &directDraw_, nullptr) != DD_OK) return;
    directDraw_->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    // The screen's own format, read from an offscreen surface described
    // without a pixel format.
    IDirectDrawSurface *probe = MakeOffscreen(8, 8);
    if (probe) {
        probe->GetSurfaceDesc(&desc);
        bits_ = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount);
        probe->Release();
    }
    if (!withPrimary) return;
    desc = DDSURFACEDESC{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (directDraw_->CreateSurface(&desc, &primary_, nullptr) != DD_OK) primary_ = nullptr;
}

Screen::~Screen() {
    if (primary_) primary_->Release();
    if (directDraw_) directDraw_->Release();
}

IDirectDrawSurface *Screen::MakeOffscreen(int width, int height) const {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    IDirectDrawSurface *surface = nullptr;
    if (directDraw_->CreateSurface(&desc, &surface, nullptr) != DD_OK) return nullptr;

    DDSURFACEDESC locked{};
    locked.dwSize = sizeof locked;
    if (surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) == DD_OK) {
        auto *row = static_cast<uint8_t *>(locked.lpSurface);
        for (DWORD y = 0; y < locked.dwHeight; ++y, row += locked.lPitch)
            for (LONG x = 0; x < locked.lPitch; ++x) row[x] = static_cast<uint8_t>(x * 7 + y * 13);
        surface->Unlock(nullptr);
    }
    return surface;
}
