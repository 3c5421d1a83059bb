// The update state of one stream sample, shared between the sample and the
// decoding thread. Every field is guarded by the decoding thread's mutex,
// except `mayBePending`, which is also read without it.
#pragma once

#include <atomic>
#include <cstdint>

#include <ddraw.h>
#include <mmstream.h>

namespace standin::mmstream {

struct SampleUpdate {
    enum class State {
        Never,    // no update issued yet
        Queued,   // waiting for its frame or its time
        Writing,  // the decoding thread is writing into the surface
        Done,     // `status` holds the outcome
    };

    bool Pending() const { return state == State::Queued || state == State::Writing; }

    IDirectDrawSurface *surface = nullptr;  // the sample holds the reference
    DDPIXELFORMAT pixelFormat{};  // the surface's, as described when the sample was made
    RECT rect{};
    State state = State::Never;
    HRESULT status = S_OK;
    // SSUPDATE_CONTINUOUS: after each frame the update queues itself again,
    // until the end, a stop or a withdrawal completes it.
    bool continuous = false;
    bool wroteFrame = false;  // since it was issued
    HANDLE event = nullptr;   // the host's, set once the update completes
    STREAM_TIME frameStart = 0;  // of the last frame written
    STREAM_TIME frameEnd = 0;
    SampleUpdate *nextInLine = nullptr;  // in the decoding thread's UpdateQueue
    // Set when an update is issued, cleared once it is done: a host that
    // polls without waiting learns "still pending" without the mutex, so
    // it does not slow the thread that is writing its frame.
    std::atomic<bool> mayBePending{false};
    // When the host last polled without waiting (steady clock, ns): a host
    // polling in a tight loop writes due frames itself.
    std::atomic<int64_t> lastPoll{0};
};

}  // namespace standin::mmstream
