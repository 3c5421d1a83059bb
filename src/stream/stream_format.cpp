#include "stream/stream_format.h"

HRESULT readStreamFormat(StreamSample *stream, DDSURFACEDESC *current, DDSURFACEDESC *desired, DWORD *flags) {
    releaseStreamPalette(stream);
    return stream->ddStream->GetFormat(current, &stream->ddPalette, desired, flags);
}

void releaseStreamPalette(StreamSample *stream) {
    if (stream->ddPalette == nullptr) return;
    stream->ddPalette->Release();
    stream->ddPalette = nullptr;
}
