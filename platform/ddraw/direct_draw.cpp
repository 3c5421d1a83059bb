#include "ddraw/direct_draw.h"

#include <cstring>
#include <new>

#include "ddraw/palette.h"
#include "ddraw/pixel_format.h"
#include "ddraw/surface.h"
#include "ddraw/surface_layout.h"
#include "screen/screen.h"

namespace standin {

DirectDraw::DirectDraw() : screen_(Screen::Shared()) {}

HRESULT DirectDraw::QueryInterface(REFIID riid, void **out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirectDraw) return Hand(static_cast<IDirectDraw *>(this), out);
    return E_NOINTERFACE;
}

HRESULT DirectDraw::SetCooperativeLevel(HWND window, DWORD flags) {
    const DWORD exclusive = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN;
    if (flags & DDSCL_NORMAL) return (flags & exclusive) ? DDERR_INVALIDPARAMS : DD_OK;
    // Exclusive full-screen needs its window, as on Windows; it changes
    // nothing here, since the screen's mode is fixed.
    if ((flags & exclusive) == exclusive && window) return DD_OK;
    return DDERR_INVALIDPARAMS;
}

HRESULT DirectDraw::GetDisplayMode(LPDDSURFACEDESC desc) {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    const ScreenMode &mode = screen_->mode();
    std::memset(desc, 0, sizeof(DDSURFACEDESC));
    desc->dwSize = sizeof(DDSURFACEDESC);
    desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
    desc->dwWidth = mode.width;
    desc->dwHeight = mode.height;
    desc->lPitch = screen_->pitch();
    desc->dwRefreshRate = 60;
    desc->ddpfPixelFormat = PixelFormatForDepth(mode.bitsPerPixel);
    return DD_OK;
}

HRESULT DirectDraw::CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE *surface, IUnknown *outer) {
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!desc || !surface) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    SurfaceLayout layout;
    const HRESULT parsed = ParseSurfaceDesc(*desc, screen_->mode(), &layout);
    if (FAILED(parsed)) return parsed;
    try {
        *surface = new Surface(layout);
    } catch (const std::bad_alloc &) {
        return DDERR_OUTOFMEMORY;
    }
    return DD_OK;
}

HRESULT DirectDraw::CreatePalette(DWORD flags, LPPALETTEENTRY table, LPDIRECTDRAWPALETTE *palette, IUnknown *outer) {
    if (outer) return CLASS_E_NOAGGREGATION;
    return Palette::Create(flags, table, palette);
}

}  // namespace standin
