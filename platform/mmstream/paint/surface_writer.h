// Writes a decoded frame into a rectangle of a DirectDraw surface.
#pragma once

#include <ddraw.h>

#include "mmstream/paint/frame_painter.h"
#include "mmstream/paint/prepared_frame.h"

struct AVFrame;

namespace standin::mmstream {

// A surface locked for writing one frame; unlocked when it goes.
class SurfaceWrite {
public:
    // `wait`: DDLOCK_WAIT, waiting while another thread holds the surface.
    SurfaceWrite(IDirectDrawSurface *surface, bool wait);
    ~SurfaceWrite();
    SurfaceWrite(const SurfaceWrite &) = delete;
    SurfaceWrite &operator=(const SurfaceWrite &) = delete;

    // True when the lock failed only because someone else holds the surface.
    bool Busy() const { return status_ == DDERR_SURFACEBUSY || status_ == DDERR_WASSTILLDRAWING; }
    // Paints the frame scaled to the rectangle, which must lie inside the
    // surface (DDERR_INVALIDRECT otherwise); the lock's failure if it failed.
    HRESULT Paint(const RECT &rect, const AVFrame &frame, FramePainter &painter);
    // Copies a frame painted ahead into the rectangle: S_FALSE, writing
    // nothing, when it was painted for another layout or size.
    HRESULT Copy(const RECT &rect, const PreparedFrame &prepared);
    // Lets go of the surface now, once.
    void Unlock();

private:
    // The rectangle's first pixel, or the reason there is none.
    HRESULT Target(const RECT &rect, uint8_t **pixels);

    IDirectDrawSurface *const surface_;
    DDSURFACEDESC description_{};
    HRESULT status_;
    bool locked_;
};

}  // namespace standin::mmstream
