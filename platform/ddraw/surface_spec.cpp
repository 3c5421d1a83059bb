#include "ddraw/surface_spec.h"

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

HRESULT ParsePrimary(const DDSURFACEDESC &desc, const ScreenMode &screen, SurfaceSpec *spec) {
    if (desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    spec->primary = true;
    spec->width = screen.width;
    spec->height = screen.height;
    PaddedRowPitch(screen.width, screen.bitsPerPixel, &spec->pitch);
    spec->format = PixelFormatForDepth(screen.bitsPerPixel);
    spec->caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_VISIBLE | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
    return DD_OK;
}

// Video memory is granted as system memory: there is no other kind here.
HRESULT ParseOffscreen(const DDSURFACEDESC &desc, const ScreenMode &screen, SurfaceSpec *spec) {
    if ((desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    if (desc.dwWidth == 0 || desc.dwHeight == 0) return DDERR_INVALIDPARAMS;
    if (desc.dwWidth > kMaxSurfaceSide || desc.dwHeight > kMaxSurfaceSide) return DDERR_INVALIDPARAMS;
    if (desc.dwFlags & DDSD_PIXELFORMAT) {
        if (!NormalizePixelFormat(desc.ddpfPixelFormat, &spec->format)) return DDERR_INVALIDPIXELFORMAT;
    } else {
        spec->format = PixelFormatForDepth(screen.bitsPerPixel);
    }
    if (!PaddedRowPitch(desc.dwWidth, spec->format.dwRGBBitCount, &spec->pitch)) return DDERR_INVALIDPARAMS;
    if (static_cast<unsigned long long>(spec->pitch) * desc.dwHeight > kMaxSurfaceBytes) return DDERR_OUTOFMEMORY;
    spec->primary = false;
    spec->width = desc.dwWidth;
    spec->height = desc.dwHeight;
    spec->caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    return DD_OK;
}

}  // namespace

HRESULT ParseSurfaceDesc(const DDSURFACEDESC &desc, const ScreenMode &screen, SurfaceSpec *spec) {
    if (desc.dwSize != sizeof(DDSURFACEDESC) || !(desc.dwFlags & DDSD_CAPS)) return DDERR_INVALIDPARAMS;
    const HRESULT caps = CheckCaps(desc.ddsCaps.dwCaps);
    if (FAILED(caps)) return caps;
    if (desc.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) return ParsePrimary(desc, screen, spec);
    return ParseOffscreen(desc, screen, spec);
}

}  // namespace standin
