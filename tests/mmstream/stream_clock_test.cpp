// The stream clock timed by sound: reports of a device of known pace, at
// made-up times, and the clock read between them.
#include "mmstream/clock/stream_clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

namespace {

using standin::mmstream::StreamClock;
using Steady = StreamClock::Steady;
using std::chrono::duration_cast;
using std::chrono::nanoseconds;

constexpr double kBufferSeconds = 1024.0 / 44100.0;  // a device buffer

Steady::time_point After(Steady::time_point start, double seconds) {
    return start + duration_cast<Steady::duration>(std::chrono::duration<double>(seconds));
}

double Seconds(STREAM_TIME time) { return static_cast<double>(time) / 1e7; }

// A device that starts taking buffers `delay` after `start`, `pace` times
// as fast as it should, and reports each one as the renderer does: the
// buffer it took before is being heard.
struct Device {
    Steady::time_point start;
    double delay;
    double pace;
    STREAM_TIME position;  // the sound's time at the run

    Steady::time_point Taken(int buffer) const { return After(start, delay + buffer * kBufferSeconds / pace); }
    STREAM_TIME Heard(int buffer) const {
        return position + static_cast<STREAM_TIME>(std::llround((buffer - 1) * kBufferSeconds * 1e7));
    }
    // The sound being heard at `when`.
    double HeardAt(Steady::time_point when) const {
        return Seconds(position) - kBufferSeconds + std::chrono::duration<double>(when - Taken(0)).count() * pace;
    }
};

// Plays `buffers` reports of the device and reads the clock every
// millisecond between them: it never goes back, never moves by much more
// than a millisecond at a time, and from one second on it is within half a
// millisecond of the sound being heard, plus what it lags behind a device
// whose pace is off (the clock works off an offset at 1/kPaceLag a second).
constexpr double kTolerance = 0.0005;
constexpr double kPaceLag = 0.05;
void Play(StreamClock &clock, unsigned serial, const Device &device, int buffers, STREAM_TIME *last) {
    for (int k = 0; k < buffers; ++k) {
        clock.SoundHeard(serial, device.Heard(k), device.Taken(k));
        for (double t = 0; t < kBufferSeconds / device.pace; t += 0.001) {
            const Steady::time_point when = After(device.Taken(k), t);
            const STREAM_TIME now = clock.At(when);
            ASSERT_GE(now, *last) << "buffer " << k;
            ASSERT_LE(now - *last, 16000) << "buffer " << k;  // 1 ms at the fastest pace
            if (k * kBufferSeconds > 1) {
                ASSERT_NEAR(Seconds(now), device.HeardAt(when), kTolerance + kPaceLag * std::abs(device.pace - 1))
                    << "buffer " << k;
            }
            *last = now;
        }
    }
}

struct Skew {
    double pace;
    double delay;  // of the first buffer after the run
};

class SoundClockTest : public testing::TestWithParam<Skew> {};

TEST_P(SoundClockTest, FollowsADeviceOfAnyPaceAndHandsOverWithoutAJump) {
    StreamClock clock(false);
    clock.Set(20000000);  // 2 s
    clock.Run();
    const StreamClock::Placement placed = clock.Placed();
    const unsigned serial = placed.serial;
    const STREAM_TIME position = placed.position;
    const Device device{Steady::now(), GetParam().delay, GetParam().pace, position};
    STREAM_TIME last = clock.At(device.Taken(0));

    // Ten seconds of sound: after the first second the clock is within a
    // millisecond of what is heard.
    const int buffers = static_cast<int>(10 / kBufferSeconds);
    Play(clock, serial, device, buffers, &last);

    // The sound ends: from where the clock stands, it goes on at the
    // monotonic clock's pace.
    const Steady::time_point end = device.Taken(buffers);  // where Play stopped reading
    for (double t = 0; t < 2; t += 0.001) {
        const STREAM_TIME now = clock.At(After(end, t));
        ASSERT_GE(now, last);
        ASSERT_LE(now - last, 11000) << "at " << t << " s after the last report";
        last = now;
    }
    EXPECT_NEAR(Seconds(clock.At(After(end, 2)) - clock.At(After(end, 1))), 1.0, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Devices, SoundClockTest,
                         testing::Values(Skew{1.005, 0.0}, Skew{0.995, 0.0}, Skew{1.005, 0.02}, Skew{0.995, 0.02},
                                         Skew{1.05, 0.01}, Skew{0.95, 0.01}));

// The first report places the clock: it waits, at the position of the
// run, for sound that starts before it (the device's buffer, or sound
// before the first frame), and then runs with it.
TEST(SoundClock, WaitsForSoundThatStartsBehindIt) {
    StreamClock clock(false);
    clock.Run();
    unsigned serial = clock.Placed().serial;
    const Device device{Steady::now(), 0.005, 1.0, -400000};  // sound from -40 ms
    const STREAM_TIME before = clock.At(device.Taken(0));
    clock.SoundHeard(serial, device.Heard(0), device.Taken(0));
    // Heard: -63 ms; the clock stands still until the sound reaches it.
    EXPECT_EQ(clock.At(After(device.Taken(0), 0.060)), before);
    const Steady::time_point caughtUp = After(device.Taken(0), Seconds(before) - device.HeardAt(device.Taken(0)));
    EXPECT_NEAR(Seconds(clock.At(After(caughtUp, 0.1))), device.HeardAt(After(caughtUp, 0.1)), 1e-6);
}

// A report from before the last run, stop or seek says nothing about the
// sound now; a stopped or free clock is not moved by sound at all.
TEST(SoundClock, IgnoresStaleReportsAndStoppedOrFreeClocks) {
    StreamClock clock(false);
    clock.Run();
    const unsigned stale = clock.Placed().serial;
    clock.Set(50000000);
    const Steady::time_point now = Steady::now();
    clock.SoundHeard(stale, 0, now);
    EXPECT_NEAR(Seconds(clock.At(After(now, 0.5))), 5.5, 0.01);

    unsigned serial = 0;
    clock.Stop();
    serial = clock.Placed().serial;
    clock.SoundHeard(serial, 0, now);
    EXPECT_EQ(clock.Now(), clock.At(After(now, 1)));

    StreamClock free(true);
    free.Run();
    serial = free.Placed().serial;
    free.SoundHeard(serial, 90000000, now);
    EXPECT_EQ(free.Now(), 0);
}

// One serial for every run, stop and seek: the picture and the sound follow
// it, and a jump of the picture or a report of the sound from before the
// last change moves nothing.
TEST(ClockSerial, EveryChangeBumpsItAndOnlySeeksMoveTheTarget) {
    StreamClock clock(true);
    unsigned serial = clock.Placed().serial;
    struct Change {
        const char *name;
        void (*apply)(StreamClock &);
        bool seek;
    };
    const Change changes[] = {
        {"run", [](StreamClock &c) { c.Run(); }, false},
        {"seek", [](StreamClock &c) { c.Set(30000000); }, true},
        {"stop", [](StreamClock &c) { c.Stop(); }, false},
        {"run again", [](StreamClock &c) { c.Run(); }, false},
    };
    for (const Change &change : changes) {
        const StreamClock::Placement before = clock.Placed();
        change.apply(clock);
        const StreamClock::Placement after = clock.Placed();
        EXPECT_EQ(after.serial, serial + 1) << change.name;
        EXPECT_EQ(after.seekSerial, change.seek ? after.serial : before.seekSerial) << change.name;
        serial = after.serial;
    }
    EXPECT_EQ(clock.Placed().seekTarget, 30000000);
    EXPECT_TRUE(clock.Placed().running);

    clock.JumpForward(50000000, serial - 1);  // decoded before the last change
    EXPECT_EQ(clock.Now(), 30000000);
    clock.JumpForward(50000000, serial);
    EXPECT_EQ(clock.Now(), 50000000);
    clock.SkipForwardTo(90000000, serial - 1);
    EXPECT_EQ(clock.Now(), 50000000);
}

// A track that says it has played out hands the clock over to the
// monotonic clock at once: the pace its last report set is left, and
// reports of the same serial are not taken any more. The next run, stop or
// seek takes reports again.
TEST(SoundClock, AnEndedTrackLeavesTheClockToTheMonotonicPaceAtOnce) {
    StreamClock clock(false);
    clock.Run();
    unsigned serial = clock.Placed().serial;
    const Steady::time_point start = Steady::now();
    clock.SoundHeard(serial, 0, start);
    // 30 ms ahead of the clock: worked off at the fastest pace.
    const Steady::time_point last = After(start, 0.02);
    clock.SoundHeard(serial, 500000, last);
    EXPECT_NEAR(Seconds(clock.At(After(last, 0.05)) - clock.At(last)), 0.075, 1e-4);

    clock.SoundEnded(serial, last);
    EXPECT_NEAR(Seconds(clock.At(After(last, 0.05)) - clock.At(last)), 0.05, 1e-6);
    clock.SoundHeard(serial, 900000000, After(last, 0.03));
    EXPECT_NEAR(Seconds(clock.At(After(last, 0.05)) - clock.At(last)), 0.05, 1e-6);

    clock.Set(0);
    serial = clock.Placed().serial;
    const Steady::time_point seeked = Steady::now();
    clock.SoundHeard(serial, 0, seeked);
    clock.SoundHeard(serial, 500000, After(seeked, 0.02));
    EXPECT_NEAR(Seconds(clock.At(After(seeked, 0.07)) - clock.At(After(seeked, 0.02))), 0.075, 1e-4);
}

}  // namespace
