#include "host_surfaces.h"

#include <cstring>

IDirectDrawSurface *MakeSurface(IDirectDraw *dd, DWORD width, DWORD height, DWORD bits) {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = width;
    desc.dwHeight = height;
    desc.ddpfPixelFormat.dwSize = sizeof desc.ddpfPixelFormat;
    desc.ddpfPixelFormat.dwFlags = DDPF_RGB | (bits == 8 ? DDPF_PALETTEINDEXED8 : 0);
    desc.ddpfPixelFormat.dwRGBBitCount = bits;
    if (bits == 32) {
        desc.ddpfPixelFormat.dwRBitMask = 0xFF0000;
        desc.ddpfPixelFormat.dwGBitMask = 0x00FF00;
        desc.ddpfPixelFormat.dwBBitMask = 0x0000FF;
    }
    IDirectDrawSurface *surface = nullptr;
    return dd->CreateSurface(&desc, &surface, nullptr) == DD_OK ? surface : nullptr;
}

DWORD ScreenBits(IDirectDraw *dd) {
    DDSURFACEDESC mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dwSize = sizeof mode;
    return dd->GetDisplayMode(&mode) == DD_OK ? mode.ddpfPixelFormat.dwRGBBitCount : 0;
}
