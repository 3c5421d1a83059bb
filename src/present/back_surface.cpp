#include "present/back_surface.h"

#include <cstring>

#include "common/surface_desc.h"
#include "common/surface_lock.h"
#include "stream/stream_format.h"
#include "stream/stream_sample.h"

bool hasEightBitPalette(StreamSample *stream) {
    if (stream->ddPalette == nullptr) return false;
    DWORD caps = 0;
    stream->ddPalette->GetCaps(&caps);
    return (caps & DDPCAPS_8BIT) != 0;
}

bool backupSurface(StreamSample *stream) {
    if (!hasEightBitPalette(stream)) return false;
    if (stream->backSurface == nullptr) {
        // Made like the frame surface, from the format the stream reports now.
        DDSURFACEDESC format = blankSurfaceDesc();
        readStreamFormat(stream, &format, nullptr, nullptr);
        stream->directDraw->CreateSurface(&format, &stream->backSurface, nullptr);
        if (stream->backSurface == nullptr) return false;
    }
    return copyFrameToBackSurface(stream);
}

bool copyFrameToBackSurface(StreamSample *stream) {
    DDSURFACEDESC frame;
    if (!lockWholeSurface(stream->surface, &frame)) return false;
    DDSURFACEDESC back;
    if (!lockWholeSurface(stream->backSurface, &back)) {
        stream->surface->Unlock(nullptr);
        return false;
    }
    // One byte per pixel, and the frame's size: the back surface was made
    // from the same format.
    const LONG width = static_cast<LONG>(frame.dwWidth);
    const LONG height = static_cast<LONG>(frame.dwHeight);
    const size_t rowBytes = width > 0 ? static_cast<size_t>(width) : 0;
    const BYTE *from = static_cast<const BYTE *>(frame.lpSurface);
    BYTE *to = static_cast<BYTE *>(back.lpSurface);
    for (LONG y = 0; y < height; ++y, from += frame.lPitch, to += back.lPitch)
        std::memcpy(to, from, rowBytes);
    stream->surface->Unlock(nullptr);
    stream->backSurface->Unlock(nullptr);
    return true;
}
