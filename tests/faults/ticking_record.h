// One record as the host's loop ticks it: how long its tick has said
// "decode pending" (2) in a row, and, for a bystander, starting over at
// the end so it plays all along.
//
// The tick also says 2 for an update that failed (no memory), for as long
// as the host lets it: that is the host told, not a stall. The record's
// update status tells the two apart; a looping record that failed starts
// over, as a host that plays on would.
#pragma once

#include <ddraw.h>
#include <vidsurf.h>

#include <chrono>

namespace faulthost {

using Clock = std::chrono::steady_clock;

class TickingRecord {
public:
    TickingRecord(StreamSample *stream, IDirectDrawSurface *primary, bool loops)
        : stream_(stream), primary_(primary), loops_(loops) {}

    // One updateStreamSample; a looping record seeks to 0 when it ends.
    int Tick(Clock::time_point now);
    // Seconds the tick has returned 2 in a row, as of `now`.
    double SecondsPending(Clock::time_point now) const;
    // Whether the last tick's 2 stood for a failed update.
    bool Failed() const { return failed_; }
    // The longest run of 2s so far, in seconds.
    double LongestPending() const { return longestPending_; }
    void ForgetPending() { pendingSince_ = Clock::time_point{}; }
    StreamSample *stream() const { return stream_; }

private:
    StreamSample *stream_;
    IDirectDrawSurface *primary_;
    bool loops_;
    Clock::time_point pendingSince_{};
    double longestPending_ = 0;
    bool failed_ = false;
};

}  // namespace faulthost
