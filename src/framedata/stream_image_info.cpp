// streamImageInfo: the frame surface's size, depth and pitch, as a lock of
// the whole surface describes it.
#include "common/surface_lock.h"
#include "stream/stream_sample.h"

int VIDSURF_CALL streamImageInfo(StreamSample *stream, int *width, int *height, int *bitsPerPixel, int *pitch) {
    // A host mistake must not crash it: null pointers get nothing.
    if (stream == nullptr || width == nullptr || height == nullptr || bitsPerPixel == nullptr || pitch == nullptr)
        return 0;
    DDSURFACEDESC desc;
    if (!lockWholeSurface(stream->surface, &desc)) return 0;
    stream->surface->Unlock(nullptr);

    // Written only now, after the unlock, in this order.
    *width = static_cast<int>(desc.dwWidth);
    *height = static_cast<int>(desc.dwHeight);
    *bitsPerPixel = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount);
    *pitch = static_cast<int>(desc.lPitch);
    return 1;
}
