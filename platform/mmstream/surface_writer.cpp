#include "mmstream/surface_writer.h"

#include <chrono>
#include <thread>

extern "C" {
#include <libavutil/frame.h>
}

namespace standin::mmstream {

namespace {

// Someone else (the host blitting the last frame, say) may hold the lock for
// a moment.
HRESULT LockForWriting(IDirectDrawSurface *surface, DDSURFACEDESC *description) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    for (;;) {
        *description = DDSURFACEDESC{};
        description->dwSize = sizeof(DDSURFACEDESC);
        const HRESULT hr = surface->Lock(nullptr, description, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
        if (hr != DDERR_SURFACEBUSY && hr != DDERR_WASSTILLDRAWING) return hr;
        if (std::chrono::steady_clock::now() > giveUp) return hr;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
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
