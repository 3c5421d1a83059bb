// updateStreamSample: one tick of playback, driven by the host's loop.
#include "stream/advancing_sample.h"
#include "stream/stream_sample.h"

namespace {

constexpr int kTickEnded = 0;
constexpr int kTickRunning = 1;
constexpr int kTickWaiting = 2;

// Shows the decoded frame, then has the next one decoded in the background.
void presentAndAdvance(StreamSample *stream, IDirectDrawSurface *primary) {
    updateSurface(stream, primary);
    advancingSample(stream, SSUPDATE_ASYNC);
}

}  // namespace

int VIDSURF_CALL updateStreamSample(StreamSample *stream, IDirectDrawSurface *primary) {
    if (stream == nullptr) return kTickEnded;

    if (stream->updateStatus == 0) {
        advancingSample(stream, SSUPDATE_ASYNC);
    } else {
        // Polls: a timeout of 0 never blocks the host's loop.
        stream->updateStatus = stream->sample->CompletionStatus(COMPSTAT_WAIT, 0);
    }

    int result = kTickWaiting;
    switch (stream->updateStatus) {
        case E_ABORT:
            // Start again where the clock stands, decoding this one frame
            // synchronously, whatever that decode reports.
            streamSeek(stream, streamClock(stream));
            advancingSample(stream, 0);
            presentAndAdvance(stream, primary);
            result = kTickRunning;
            break;
        case S_OK:
            presentAndAdvance(stream, primary);
            result = kTickRunning;
            break;
        case MS_S_ENDOFSTREAM:
            // The last frames may still be due: playback ends only once the
            // clock, as last read, has reached the duration.
            if (stream->currentTime < stream->duration) {
                result = kTickRunning;
            } else {
                stream->updateStatus = 0;
                result = kTickEnded;
            }
            break;
        default:
            // Pending, or a status this loop does not handle: the host
            // decides how long to wait.
            break;
    }
    stream->mmStream->GetTime(&stream->currentTime);
    return result;
}
