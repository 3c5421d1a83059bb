#include "mmstream/surface_writer.h"

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

HRESULT SurfaceWrite::Paint(const RECT &rect, const AVFrame &frame, FramePainter &painter) {
    if (FAILED(status_)) return status_;
    if (!locked_) return DDERR_NOTLOCKED;
    auto *pixels = static_cast<uint8_t *>(description_.lpSurface);
    const DWORD bytesPerPixel = description_.ddpfPixelFormat.dwRGBBitCount / 8;
    const LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (rect.left < 0 || rect.top < 0 || width <= 0 || height <= 0 ||
        static_cast<DWORD>(rect.right) > description_.dwWidth ||
        static_cast<DWORD>(rect.bottom) > description_.dwHeight || !pixels)
        return DDERR_INVALIDRECT;
    pixels +=
        static_cast<ptrdiff_t>(rect.top) * description_.lPitch + static_cast<ptrdiff_t>(rect.left) * bytesPerPixel;
    return painter.Paint(frame, description_.ddpfPixelFormat, pixels, description_.lPitch, width, height);
}

}  // namespace standin::mmstream
