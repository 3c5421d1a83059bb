// streamRect: the frame's size, answered from the record without touching
// the surface.
#include "stream/stream_sample.h"

void VIDSURF_CALL streamRect(StreamSample *stream, int *width, int *height) {
    if (stream == nullptr) return;
    *width = stream->frameRect.right - stream->frameRect.left;
    *height = stream->frameRect.bottom - stream->frameRect.top;
}
