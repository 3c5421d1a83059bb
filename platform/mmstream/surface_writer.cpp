#include "mmstream/surface_writer.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace standin::mmstream {

namespace {

// DDLOCK_WAIT waits while another thread (the host blitting the last frame,
// say) holds the surface.
HRESULT LockForWriting(IDirectDrawSurface *surface, DDSURFACEDESC *description) {
    *description = DDSURFACEDESC{};
    description->dwSize = sizeof(DDSURFACEDESC);
    return surface->Lock(nullptr, description, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
}

}  // namespace

HRESULT WriteFrameToSurface(IDirectDrawSurface *surface, const RECT &rect, const AVFrame &frame,
                            FramePainter &painter) {
    DDSURFACEDESC description;
    HRESULT hr = LockForWriting(surface, &description);
    if (FAILED(hr)) return hr;
    auto *pixels = static_cast<uint8_t *>(description.lpSurface);
    const DWORD bytesPerPixel = description.ddpfPixelFormat.dwRGBBitCount / 8;
    const LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (rect.left < 0 || rect.top < 0 || width <= 0 || height <= 0 ||
        static_cast<DWORD>(rect.right) > description.dwWidth || static_cast<DWORD>(rect.bottom) > description.dwHeight ||
        !pixels) {
        hr = DDERR_INVALIDRECT;
    } else {
        pixels += static_cast<ptrdiff_t>(rect.top) * description.lPitch + static_cast<ptrdiff_t>(rect.left) * bytesPerPixel;
        hr = painter.Paint(frame, description.ddpfPixelFormat, pixels, description.lPitch, width, height);
    }
    surface->Unlock(description.lpSurface);
    return hr;
}

}  // namespace standin::mmstream
