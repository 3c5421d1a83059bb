// Asking the stream sample for the next frame.
#pragma once

#include "stream/stream_sample.h"

// Sets the stream running if it is not, updates the sample with `flags`
// (0: wait for the frame; SSUPDATE_ASYNC: return at once) and reads the
// clock into currentTime, whatever the update returned. The update's status
// is stored in updateStatus and returned. `stream` must not be null.
HRESULT advancingSample(StreamSample *stream, DWORD flags);
