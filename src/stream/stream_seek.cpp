// streamSeek: seeking, with the two special ranges below zero.
#include "stream/stream_sample.h"
#include "stream/stream_time.h"

void VIDSURF_CALL streamSeek(StreamSample *stream, double seconds) {
    if (stream == nullptr) return;
    if (!(seconds >= -1.0)) {
        // Below -1.0, NaN included: stop where the stream stands.
        stream->mmStream->SetState(STREAMSTATE_STOP);
    } else if (seconds < 0.0) {
        // -1.0 up to 0: park at the end of the movie.
        stream->mmStream->Seek(stream->duration);
    } else {
        stream->mmStream->Seek(secondsToStreamTime(seconds));
    }
    // An update issued before the seek no longer matters: the next tick
    // starts a fresh one. currentTime keeps its value until the next read.
    stream->updateStatus = 0;
}
