// The stream clock: the movie position in 100 ns units.
//
// While running it advances in real time from the position of the last run
// or seek; while stopped it stands still. A free clock (VIDSURF_CLOCK=free)
// does not follow real time at all: it only jumps ahead to the times the
// decoding thread hands it, so that playback runs as fast as decoding.
#pragma once

#include <chrono>
#include <mutex>

#include <mmstream.h>

namespace standin::mmstream {

class StreamClock {
public:
    explicit StreamClock(bool free) : free_(free) {}

    // True when the environment asks for a free clock.
    static bool FreeFromEnvironment();

    bool Free() const { return free_; }
    bool Running() const;
    STREAM_TIME Now() const;
    // Now() and Running(), read together.
    bool Read(STREAM_TIME *now) const;

    void Run();
    void Stop();
    void Set(STREAM_TIME position);
    // Moves a running free clock forward to `position`; never backward.
    void JumpForward(STREAM_TIME position);

private:
    using Steady = std::chrono::steady_clock;
    STREAM_TIME NowLocked() const;

    const bool free_;
    mutable std::mutex mutex_;
    bool running_ = false;
    STREAM_TIME base_ = 0;   // position at `since_`
    Steady::time_point since_;
};

}  // namespace standin::mmstream
