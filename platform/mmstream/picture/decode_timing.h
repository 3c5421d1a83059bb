// When frames are written and decoded: the tolerances and waits the
// decoding thread and the hosts' polls share.
#pragma once

#include <chrono>

#include <mmstream.h>

namespace standin::mmstream::timing {

// A frame less than this far ahead of the clock is written at once.
constexpr STREAM_TIME kEarlyTolerance = 10000;  // 1 ms
// How long a due frame is left to a host that polled this recently.
constexpr std::chrono::nanoseconds kPollerGrace = std::chrono::milliseconds(1);

// A host that polled this recently polls back to back: its taking the
// frame is awaited that long without sleeping, about what a sleep and a
// wake-up would cost (a condition variable's wake-up takes 3 to 15 us on a
// 2-core machine, rarely 40). A host that polls less often is waited for
// asleep: spinning through its pauses (a fuzz host's 50 us, say) burned a
// core for nothing.
constexpr std::chrono::nanoseconds kSpinForPoller = std::chrono::microseconds(25);

// While frames take this long to decode, a poll waits this long at most
// for the frame still being decoded.
constexpr std::chrono::nanoseconds kSlowDecode = std::chrono::milliseconds(1);
constexpr std::chrono::nanoseconds kSlowDecodeWait = std::chrono::microseconds(500);

// How long after a frame's start the host is left to present it before the
// next frame is decoded: a quarter of the frame's time, at most this.
constexpr STREAM_TIME kPresentTime = 30000;  // 3 ms

// A decode that runs out of memory is tried again this many times, after
// 1, 2, 4 and 8 ms, before the update waiting for it fails: memory that
// another thread held for a moment is then no failure of the movie's.
constexpr int kMemoryRetries = 4;
constexpr auto kFirstMemoryBackOff = std::chrono::milliseconds(1);

inline std::chrono::nanoseconds SteadyNow() { return std::chrono::steady_clock::now().time_since_epoch(); }

}  // namespace standin::mmstream::timing
