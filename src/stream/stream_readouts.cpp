// The clock, duration and frame-time read-outs. None of them asks the stream:
// they report what the record last read.
#include "stream/stream_sample.h"
#include "stream/stream_time.h"

double VIDSURF_CALL streamClock(StreamSample *stream) {
    return stream == nullptr ? 0.0 : streamTimeToSeconds(stream->currentTime);
}

double VIDSURF_CALL streamDuration(StreamSample *stream) {
    return stream == nullptr ? 0.0 : streamTimeToSeconds(stream->duration);
}

double VIDSURF_CALL streamFrametime(StreamSample *stream) {
    return stream == nullptr ? 0.0 : streamTimeToMilliseconds(stream->frameTime);
}
