// streamPause: the frame at a given time as a still picture.
#include "stream/advancing_sample.h"
#include "stream/stream_sample.h"
#include "stream/stream_time.h"

void VIDSURF_CALL streamPause(StreamSample *stream, IDirectDrawSurface *primary, double seconds) {
    if (stream == nullptr) return;
    if (seconds >= 0.0) {  // NaN is no time
        streamSeek(stream, seconds);
        if (advancingSample(stream, 0) == S_OK) updateSurface(stream, primary);
        // The clock reads the requested time, not where decoding got to.
        stream->currentTime = secondsToStreamTime(seconds);
    }
    // Parked at the end with nothing outstanding, so the still stays; a
    // negative time only parks.
    stream->updateStatus = 0;
    stream->mmStream->Seek(stream->duration);
}
