#include "mmstream/paint/pixel_formats.h"

namespace standin::mmstream {

bool IsPalettized(const DDPIXELFORMAT &format) { return (format.dwFlags & DDPF_PALETTEINDEXED8) != 0; }

bool SamePixelFormat(const DDPIXELFORMAT &a, const DDPIXELFORMAT &b) {
    if (a.dwRGBBitCount != b.dwRGBBitCount || IsPalettized(a) != IsPalettized(b)) return false;
    // Frames leave alpha as it is: a surface with alpha is another format.
    if ((a.dwFlags & DDPF_ALPHAPIXELS) != (b.dwFlags & DDPF_ALPHAPIXELS)) return false;
    if (IsPalettized(a)) return true;
    return a.dwRBitMask == b.dwRBitMask && a.dwGBitMask == b.dwGBitMask && a.dwBBitMask == b.dwBBitMask;
}

bool NormalizeStreamPixelFormat(const DDPIXELFORMAT &requested, DDPIXELFORMAT *normalized) {
    DDPIXELFORMAT format{};
    format.dwSize = sizeof(DDPIXELFORMAT);
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = requested.dwRGBBitCount;
    const DWORD flags = requested.dwFlags & ~DDPF_RGB;
    if (flags == DDPF_PALETTEINDEXED8 || flags == DDPF_PALETTEINDEXED4) {
        if (requested.dwRGBBitCount != (flags == DDPF_PALETTEINDEXED8 ? 8u : 4u)) return false;
        format.dwFlags |= flags;
        *normalized = format;
        return true;
    }
    if (requested.dwFlags != DDPF_RGB) return false;
    const auto masks = [&requested](DWORD red, DWORD green, DWORD blue) {
        return requested.dwRBitMask == red && requested.dwGBitMask == green && requested.dwBBitMask == blue;
    };
    const bool known = requested.dwRGBBitCount == 16
                           ? masks(0xF800, 0x07E0, 0x001F) || masks(0x7C00, 0x03E0, 0x001F)
                           : (requested.dwRGBBitCount == 24 || requested.dwRGBBitCount == 32) &&
                                 masks(0xFF0000, 0x00FF00, 0x0000FF);
    if (!known) return false;
    format.dwRBitMask = requested.dwRBitMask;
    format.dwGBitMask = requested.dwGBitMask;
    format.dwBBitMask = requested.dwBBitMask;
    *normalized = format;
    return true;
}

HRESULT DescribeSurface(IDirectDrawSurface *surface, DDSURFACEDESC *description) {
    *description = DDSURFACEDESC{};
    description->dwSize = sizeof(DDSURFACEDESC);
    if (SUCCEEDED(surface->GetSurfaceDesc(description))) return S_OK;
    // A lock describes the surface as well.
    *description = DDSURFACEDESC{};
    description->dwSize = sizeof(DDSURFACEDESC);
    const HRESULT hr = surface->Lock(nullptr, description, DDLOCK_WAIT | DDLOCK_READONLY, nullptr);
    if (FAILED(hr)) return hr;
    surface->Unlock(description->lpSurface);
    return S_OK;
}

bool RectInside(const RECT &rect, const DDSURFACEDESC &surface) {
    return rect.left >= 0 && rect.top >= 0 && rect.right > rect.left && rect.bottom > rect.top &&
           rect.right <= static_cast<LONG>(surface.dwWidth) && rect.bottom <= static_cast<LONG>(surface.dwHeight);
}

bool FrameFits(const RECT &rect, const DDSURFACEDESC &frame, const DDSURFACEDESC &surface) {
    return rect.left >= 0 && rect.top >= 0 && rect.right - rect.left == static_cast<LONG>(frame.dwWidth) &&
           rect.bottom - rect.top == static_cast<LONG>(frame.dwHeight) &&
           rect.right <= static_cast<LONG>(surface.dwWidth) && rect.bottom <= static_cast<LONG>(surface.dwHeight);
}

}  // namespace standin::mmstream
