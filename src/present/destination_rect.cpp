#include "present/destination_rect.h"

#include "stream/stream_sample.h"

RECT destinationRect(const StreamSample *stream) {
    if (stream->hwnd == nullptr) return stream->frameRect;
    POINT origin = {0, 0};
    ClientToScreen(stream->hwnd, &origin);
    RECT client = {0, 0, 0, 0};
    GetClientRect(stream->hwnd, &client);
    OffsetRect(&client, origin.x, origin.y);
    return client;
}
