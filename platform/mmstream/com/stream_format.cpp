#include "mmstream/com/stream_format.h"

#include "mmstream/paint/pixel_formats.h"

namespace standin::mmstream {

namespace {

// A description no stream can take: E_INVALIDARG for a wrong size of the
// description itself, DDERR_INVALIDSURFACETYPE for a pixel format that is
// malformed or both RGB and YUV.
HRESULT CheckDescription(const DDSURFACEDESC &format) {
    if (format.dwSize != sizeof(DDSURFACEDESC)) return E_INVALIDARG;
    if (!(format.dwFlags & DDSD_PIXELFORMAT)) return S_OK;
    const DDPIXELFORMAT &pixels = format.ddpfPixelFormat;
    if (pixels.dwSize != sizeof(DDPIXELFORMAT)) return DDERR_INVALIDSURFACETYPE;
    const DWORD rgb = DDPF_RGB | DDPF_PALETTEINDEXED1 | DDPF_PALETTEINDEXED2 | DDPF_PALETTEINDEXED4 |
                      DDPF_PALETTEINDEXED8 | DDPF_PALETTEINDEXEDTO8;
    if ((pixels.dwFlags & rgb) && (pixels.dwFlags & DDPF_YUV)) return DDERR_INVALIDSURFACETYPE;
    return S_OK;
}

}  // namespace

DDSURFACEDESC StreamFormat::Current(const MovieInfo *movie, const DDPIXELFORMAT &screen) const {
    DDSURFACEDESC format{};
    format.dwSize = sizeof(DDSURFACEDESC);
    format.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_CAPS | DDSD_PIXELFORMAT;
    format.dwWidth = movie ? static_cast<DWORD>(movie->width) : width_;
    format.dwHeight = movie ? static_cast<DWORD>(movie->height) : height_;
    format.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    format.ddpfPixelFormat = pixelFormat_.value_or(screen);
    return format;
}

HRESULT StreamFormat::Set(const DDSURFACEDESC &format, const DDSURFACEDESC &current, bool open) {
    const HRESULT hr = CheckDescription(format);
    if (FAILED(hr)) return hr;
    const bool sized = (format.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != 0;
    DWORD width = current.dwWidth, height = current.dwHeight;
    if (format.dwFlags & DDSD_WIDTH) width = format.dwWidth;
    if (format.dwFlags & DDSD_HEIGHT) height = format.dwHeight;
    if (width == 0 || height == 0) return DDERR_INVALIDSURFACETYPE;
    // An open movie fixes the size: frames come in at the movie's.
    if (open && (width != current.dwWidth || height != current.dwHeight)) return DDERR_INVALIDSURFACETYPE;
    DDPIXELFORMAT pixels = current.ddpfPixelFormat;
    const bool withPixels = (format.dwFlags & DDSD_PIXELFORMAT) != 0;
    if (withPixels) {
        if (open) {
            if (!SamePixelFormat(format.ddpfPixelFormat, pixels)) return DDERR_INVALIDSURFACETYPE;
        } else if (!NormalizeStreamPixelFormat(format.ddpfPixelFormat, &pixels)) {
            return DDERR_INVALIDSURFACETYPE;
        }
    }
    if (sized && !open) width_ = width, height_ = height;
    if (withPixels) pixelFormat_ = pixels;
    return S_OK;
}

}  // namespace standin::mmstream
