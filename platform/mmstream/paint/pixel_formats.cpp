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

bool FrameFits(const RECT &rect, const DDSURFACEDESC &frame, const DDSURFACEDESC &surface) {
    return rect.left >= 0 && rect.top >= 0 && rect.right - rect.left == static_cast<LONG>(frame.dwWidth) &&
           rect.bottom - rect.top == static_cast<LONG>(frame.dwHeight) &&
           rect.right <= static_cast<LONG>(surface.dwWidth) && rect.bottom <= static_cast<LONG>(surface.dwHeight);
}

}  // namespace standin::mmstream
