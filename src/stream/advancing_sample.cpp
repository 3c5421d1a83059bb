#include "stream/advancing_sample.h"

HRESULT advancingSample(StreamSample *stream, DWORD flags) {
    STREAM_STATE state = STREAMSTATE_STOP;
    const HRESULT stateResult = stream->mmStream->GetState(&state);
    if (FAILED(stateResult) || state != STREAMSTATE_RUN) stream->mmStream->SetState(STREAMSTATE_RUN);

    // No event and no completion routine: completion is learnt by polling.
    stream->updateStatus = stream->sample->Update(flags, nullptr, nullptr, 0);
    stream->mmStream->GetTime(&stream->currentTime);
    return stream->updateStatus;
}
