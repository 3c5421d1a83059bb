// The stream clock: the movie position in 100 ns units.
//
// While running it advances from the position of the last run or seek;
// while stopped it stands still. A free clock (VIDSURF_CLOCK=free) does not
// follow real time at all: it only jumps ahead to the times the decoding
// thread hands it, so that playback runs as fast as decoding.
//
// A movie with sound is timed by the sound: the audio renderer reports,
// each time the device takes a buffer, the stream time of the sound being
// heard. The first report after a run or seek places the clock (it holds
// still until the sound catches up with it); later ones steer its pace,
// so the clock follows a device that runs fast or slow, stays smooth and
// never runs backwards. Once the sound says it has played out, the clock
// goes on at the pace of the monotonic clock from where it stands; so it
// does 100 ms after the last report of a device that stalled or failed.
//
// Every run, stop and seek bumps one serial. The picture's decoding thread
// and the sound renderer follow it: each compares the serial it last
// applied with Placed(), and a report, jump or end of an older serial is
// ignored. While the sound times it, the clock stands after each run or
// seek until the sound's first report.
#pragma once

#include <chrono>
#include <mutex>

#include <mmstream.h>

namespace standin::mmstream {

class StreamClock {
public:
    using Steady = std::chrono::steady_clock;

    explicit StreamClock(bool free) : free_(free) {}

    // True when the environment asks for a free clock.
    static bool FreeFromEnvironment();

    bool Free() const { return free_; }
    bool Running() const;
    STREAM_TIME Now() const;
    // Now() and Running(), read together.
    bool Read(STREAM_TIME *now) const;
    // What the last run, stop or seek made of the clock.
    struct Placement {
        unsigned serial = 0;      // bumped by every run, stop and seek
        unsigned seekSerial = 0;  // the serial of the last seek; 0 before any
        STREAM_TIME seekTarget = 0;
        STREAM_TIME position = 0;  // where the clock stood at `serial`
        bool running = false;
    };
    Placement Placed() const;

    void Run();
    void Stop();
    // A seek: the clock stands at `position`, running or not.
    void Set(STREAM_TIME position);
    // Moves a running free clock forward to `position`; never backward,
    // and not once the serial is no longer `serial`.
    void JumpForward(STREAM_TIME position, unsigned serial);
    // Moves a running clock, free or real, forward to `position` at once;
    // never backward, and not once the serial is no longer `serial`. The
    // sound of the serial before no longer steers it.
    void SkipForwardTo(STREAM_TIME position, unsigned serial);

    // At `at`, the sound of stream time `heard` is being heard. Reports of
    // an earlier serial, of a stopped clock or of a free one are ignored.
    void SoundHeard(unsigned serial, STREAM_TIME heard, Steady::time_point at);
    // At `at`, the sound of `serial` has played out (its track ended and
    // everything decoded was taken): from there the clock goes on at the
    // monotonic clock's pace, and later reports of that serial are ignored.
    void SoundEnded(unsigned serial, Steady::time_point at);
    // The sound times the clock from now on (its device is open): after
    // every run or seek the clock stands at its position until the sound's
    // first report places it, for 100 ms at most, so that the frames due
    // there are shown with their sound rather than before it.
    void SoundTimes();
    // The real time until the clock reaches `position`, less `early`, at
    // its present pace (zero once it has, or when it is stopped or free);
    // for waits that look again when they end. A clock that stands still
    // reaches a position at or after where it stands when it moves on.
    std::chrono::nanoseconds RealTimeTo(STREAM_TIME position, STREAM_TIME early = 0) const;
    // RealTimeTo(position, early) is zero.
    bool Reached(STREAM_TIME position, STREAM_TIME early) const;
    // The clock at `when` (not earlier than the last change), as Now()
    // would read it then.
    STREAM_TIME At(Steady::time_point when) const;

private:
    STREAM_TIME NowLocked() const;
    STREAM_TIME ValueAt(Steady::time_point when) const;
    void NewEpoch();
    // The first word of the sound since the serial began came at `at`.
    void StopAwaiting(Steady::time_point at);

    const bool free_;
    mutable std::mutex mutex_;
    bool running_ = false;
    STREAM_TIME base_ = 0;  // position at `since_`
    // May lie ahead: until then the clock stands at base_.
    Steady::time_point since_;
    // Clock time per real time from since_ to paceUntil_; 1 afterwards.
    double pace_ = 1.0;
    Steady::time_point paceUntil_;
    unsigned serial_ = 0;  // bumped by every run, stop and seek
    unsigned seekSerial_ = 0;
    STREAM_TIME seekTarget_ = 0;
    STREAM_TIME placedAt_ = 0;  // base_ when the serial began
    bool placedBySound_ = false;  // this serial's first report came
    bool soundEnded_ = false;     // this serial's sound played out
    bool soundTimes_ = false;
    // Standing from placedSince_ until the sound's first report, at most
    // until since_.
    bool awaitingSound_ = false;
    Steady::time_point placedSince_;
    // The highest value read while running: a change of pace between two
    // reads cannot make the clock go back.
    mutable STREAM_TIME floor_ = INT64_MIN;
};

}  // namespace standin::mmstream
