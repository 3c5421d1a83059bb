// streamImageData: the host's packed rows of bytes into the frame surface,
// one surface row per host row.
#include <cstring>

#include "common/surface_lock.h"
#include "stream/stream_sample.h"

int VIDSURF_CALL streamImageData(StreamSample *stream, const unsigned char *pixels) {
    if (stream == nullptr || pixels == nullptr) return 0;
    DDSURFACEDESC desc;
    if (!lockWholeSurface(stream->surface, &desc)) return 0;

    // The width is a byte count: on deeper surfaces only the first width
    // bytes of each row are written, and the padding up to the pitch stays.
    const LONG width = static_cast<LONG>(desc.dwWidth);
    const LONG height = static_cast<LONG>(desc.dwHeight);
    BYTE *row = static_cast<BYTE *>(desc.lpSurface);
    if (width > 0) {
        for (LONG y = 0; y < height; ++y, row += desc.lPitch, pixels += width)
            std::memcpy(row, pixels, static_cast<size_t>(width));
    }
    stream->surface->Unlock(nullptr);
    return 1;
}
