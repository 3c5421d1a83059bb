#include "ddraw/surface_layout.h"

#include "ddraw/pixel_format.h"
#include "screen/row_pitch.h"

namespace standin {

namespace {

constexpr DWORD kMemoryCaps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
constexpr DWORD kKnownCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_OFFSCREENPLAIN | kMemoryCaps;

HRESULT CheckCaps(DWORD caps) {
    if (caps & ~kKnownCaps) return DDERR_INVALIDCAPS;  // flipping chains, overlays, textures...
    if ((caps & DDSCAPS_SYSTEMMEMORY) && (caps & DDSCAPS_VIDEOMEMORY)) return DDERR_INVALIDCAPS;
    if ((caps & DDSCAPS_LOCALVIDMEM) && !(caps & DDSCAPS_VIDEOMEMORY)) return DDERR_INVALIDCAPS;
    if ((caps & DDSCAPS_PRIMARYSURFACE) && (caps & DDSCAPS_OFFSCREENPLAIN)) return DDERR_INVALIDCAPS;
    return DD_OK;
}

HRESULT ParsePrimary(const DDSURFACEDESC &desc, const ScreenMode &screen, SurfaceLayout *layout) {
    if (desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    layout->primary = true;
    layout->width = screen.width;
    layout->height = screen.height;
    PaddedRowPitch(screen.width, screen.bitsPerPixel, &layout->pitch);
    layout->format = PixelFormatForDepth(screen.bitsPerPixel);
    layout->caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_VISIBLE | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
    return DD_OK;
}

// Video memory is granted as system memory: there is no other kind here.
HRESULT ParseOffscreen(const DDSURFACEDESC &desc, const ScreenMode &screen, SurfaceLayout *layout) {
    if ((desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    if (desc.dwWidth == 0 || desc.dwHeight == 0) return DDERR_INVALIDPARAMS;
    if (desc.dwWidth > kMaxSurfaceSide || desc.dwHeight > kMaxSurfaceSide) return DDERR_INVALIDPARAMS;
    if (desc.dwFlags & DDSD_PIXELFORMAT) {
        if (!NormalizePixelFormat(desc.ddpfPixelFormat, &layout->format)) return DDERR_INVALIDPIXELFORMAT;
    } else {
        layout->format = PixelFormatForDepth(screen.bitsPerPixel);
    }
    if (!PaddedRowPitch(desc.dwWidth, layout->format.dwRGBBitCount, &layout->pitch)) return DDERR_INVALIDPARAMS;
    if (static_cast<unsigned long long>(layout->pitch) * desc.dwHeight > kMaxSurfaceBytes) return DDERR_OUTOFMEMORY;
    layout->primary = false;
    layout->width = desc.dwWidth;
    layout->height = desc.dwHeight;
    layout->caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    return DD_OK;
}

}  // namespace

HRESULT ParseSurfaceDesc(const DDSURFACEDESC &desc, const ScreenMode &screen, SurfaceLayout *layout) {
    if (desc.dwSize != sizeof(DDSURFACEDESC) || !(desc.dwFlags & DDSD_CAPS)) return DDERR_INVALIDPARAMS;
    const HRESULT caps = CheckCaps(desc.ddsCaps.dwCaps);
    if (FAILED(caps)) return caps;
    if (desc.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) return ParsePrimary(desc, screen, layout);
    return ParseOffscreen(desc, screen, layout);
}

}  // namespace standin
