#include "mmstream/paint/surface_writer.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace standin::mmstream {

SurfaceWrite::SurfaceWrite(IDirectDrawSurface *surface, bool wait) : surface_(surface) {
    description_.dwSize = sizeof(DDSURFACEDESC);
    status_ = surface_->Lock(nullptr, &description_, DDLOCK_WRITEONLY | (wait ? DDLOCK_WAIT : 0), nullptr);
    locked_ = SUCCEEDED(status_);
}

SurfaceWrite::~SurfaceWrite() { Unlock(); }

void SurfaceWrite::Unlock() {
    if (locked_) surface_->Unlock(description_.lpSurface);
    locked_ = false;
}

HRESULT SurfaceWrite::Target(const RECT &rect, uint8_t **pixels) {
    if (FAILED(status_)) return status_;
    if (!locked_) return DDERR_NOTLOCKED;
    auto *first = static_cast<uint8_t *>(description_.lpSurface);
    const DWORD bytesPerPixel = description_.ddpfPixelFormat.dwRGBBitCount / 8;
    const LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (rect.left < 0 || rect.top < 0 || width <= 0 || height <= 0 ||
        static_cast<DWORD>(rect.right) > description_.dwWidth ||
        static_cast<DWORD>(rect.bottom) > description_.dwHeight || !first)
        return DDERR_INVALIDRECT;
    *pixels =
        first + static_cast<ptrdiff_t>(rect.top) * description_.lPitch + static_cast<ptrdiff_t>(rect.left) * bytesPerPixel;
    return S_OK;
}

HRESULT SurfaceWrite::Paint(const RECT &rect, const AVFrame &frame, FramePainter &painter) {
    uint8_t *pixels = nullptr;
    const HRESULT hr = Target(rect, &pixels);
    if (FAILED(hr)) return hr;
    return painter.Paint(frame, description_.ddpfPixelFormat, pixels, description_.lPitch, rect.right - rect.left,
                         rect.bottom - rect.top);
}

HRESULT SurfaceWrite::Copy(const RECT &rect, const PreparedFrame &prepared) {
    uint8_t *pixels = nullptr;
    const HRESULT hr = Target(rect, &pixels);
    if (FAILED(hr)) return hr;
    if (!prepared.Fits(description_.ddpfPixelFormat, rect.right - rect.left, rect.bottom - rect.top)) return S_FALSE;
    prepared.CopyTo(pixels, description_.lPitch);
    return S_OK;
}

}  // namespace standin::mmstream
