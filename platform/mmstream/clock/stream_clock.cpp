#include "mmstream/clock/stream_clock.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "mmstream/clock/time_arithmetic.h"

namespace standin::mmstream {

namespace {

using std::chrono::nanoseconds;

// How fast the clock's pace follows the sound: an offset is worked off at
// this rate, so a device running 0.5% fast keeps the clock 0.25 ms behind,
// and a callback late by a few milliseconds moves it by less than that.
constexpr double kCatchUpSeconds = 0.05;
// The pace stays within these bounds while it follows the sound.
constexpr double kSlowestPace = 0.5;
constexpr double kFastestPace = 1.5;
// Without a report for this long the device is taken as stalled or
// failed: the clock goes on at the monotonic clock's pace. A device takes
// a buffer every 23 ms. A track that ends says so instead.
constexpr nanoseconds kSoundTimeout = std::chrono::milliseconds(100);
// The longest the clock waits for sound that starts behind the picture; the
// renderer drops sound further ahead of the first frame than this.
constexpr STREAM_TIME kLongestHold = 600000000;  // 60 s
// While the clock awaits the sound's first report, waits for its time look
// again this often: the report may let it go on sooner.
constexpr nanoseconds kLookAgainWhileAwaiting = std::chrono::milliseconds(1);

}  // namespace

bool StreamClock::FreeFromEnvironment() {
    const char *setting = std::getenv("VIDSURF_CLOCK");
    return setting && std::strcmp(setting, "free") == 0;
}

bool StreamClock::Running() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_;
}

STREAM_TIME StreamClock::Now() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return NowLocked();
}

bool StreamClock::Read(STREAM_TIME *now) const {
    std::lock_guard<std::mutex> lock(mutex_);
    *now = NowLocked();
    return running_;
}

StreamClock::Placement StreamClock::Placed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return Placement{serial_, seekSerial_, seekTarget_, placedAt_, running_};
}

STREAM_TIME StreamClock::At(Steady::time_point when) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ValueAt(when);
}

STREAM_TIME StreamClock::NowLocked() const {
    const STREAM_TIME now = ValueAt(Steady::now());
    if (running_ && !free_) floor_ = std::max(floor_, now);
    return running_ && !free_ ? floor_ : now;
}

STREAM_TIME StreamClock::ValueAt(Steady::time_point when) const {
    if (!running_ || free_ || when <= since_) return base_;
    const int64_t elapsed = (when - since_).count();
    int64_t advance = elapsed;
    if (pace_ != 1.0) {
        const int64_t paced = std::clamp<int64_t>((paceUntil_ - since_).count(), 0, elapsed);
        advance = static_cast<int64_t>(std::llround(static_cast<double>(paced) * pace_)) + (elapsed - paced);
    }
    // A clock set near the end of its range stays there instead of wrapping.
    STREAM_TIME now;
    return __builtin_add_overflow(base_, advance / 100, &now) ? INT64_MAX : now;
}

void StreamClock::NewEpoch() {
    ++serial_;
    placedAt_ = base_;
    placedBySound_ = false;
    soundEnded_ = false;
    pace_ = 1.0;
    floor_ = INT64_MIN;
    awaitingSound_ = soundTimes_ && running_ && !free_;
    if (awaitingSound_) {
        placedSince_ = since_;
        since_ += kSoundTimeout;
    }
}

void StreamClock::SoundTimes() {
    std::lock_guard<std::mutex> lock(mutex_);
    soundTimes_ = true;
}

void StreamClock::StopAwaiting(Steady::time_point at) {
    if (!awaitingSound_) return;
    // The clock stood for the sound; it goes on from the sound's word.
    since_ = std::clamp(at, placedSince_, since_);
    awaitingSound_ = false;
}

void StreamClock::Run() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (running_) return;
    running_ = true;
    since_ = Steady::now();
    NewEpoch();
}

void StreamClock::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    base_ = NowLocked();
    running_ = false;
    NewEpoch();
}

void StreamClock::Set(STREAM_TIME position) {
    std::lock_guard<std::mutex> lock(mutex_);
    base_ = position;
    since_ = Steady::now();
    NewEpoch();
    seekSerial_ = serial_;
    seekTarget_ = position;
}

void StreamClock::JumpForward(STREAM_TIME position, unsigned serial) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (free_ && running_ && serial == serial_ && position > base_) base_ = position;
}

void StreamClock::SkipForwardTo(STREAM_TIME position, unsigned serial) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!running_ || serial != serial_ || NowLocked() >= position) return;
    base_ = position;
    since_ = Steady::now();
    NewEpoch();
}

void StreamClock::SoundHeard(unsigned serial, STREAM_TIME heard, Steady::time_point at) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (serial != serial_ || !running_ || free_ || soundEnded_) return;
    StopAwaiting(at);
    // Compared where the clock would next move: at `at`, or at the end of
    // a hold still under way.
    const Steady::time_point anchor = std::max(since_, at);
    const STREAM_TIME current = std::max(ValueAt(anchor), floor_);
    const STREAM_TIME offset = SaturatingSub(SaturatingAdd(heard, (anchor - at).count() / 100), current);
    base_ = current;
    if (!placedBySound_ && offset < 0) {
        // The sound starts behind the picture (the device's buffer, sound
        // before the first frame): the clock waits for it.
        since_ = anchor + nanoseconds(std::min(SaturatingSub(0, offset), kLongestHold) * 100);
        pace_ = 1.0;
    } else {
        since_ = anchor;
        pace_ = std::clamp(1.0 + static_cast<double>(offset) / (kCatchUpSeconds * 1e7), kSlowestPace, kFastestPace);
        paceUntil_ = since_ + kSoundTimeout;
    }
    placedBySound_ = true;
}

void StreamClock::SoundEnded(unsigned serial, Steady::time_point at) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (serial != serial_ || !running_ || free_ || soundEnded_) return;
    soundEnded_ = true;
    StopAwaiting(at);
    // A hold still under way (sound that ended before it reached the
    // clock) ends as it would have; the clock never goes back.
    if (at > since_) {
        base_ = std::max(ValueAt(at), floor_);
        since_ = at;
    }
    pace_ = 1.0;
}

std::chrono::nanoseconds StreamClock::RealTimeTo(STREAM_TIME position, STREAM_TIME early) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Steady::time_point now = Steady::now();
    if (!running_ || free_) return nanoseconds(0);
    const STREAM_TIME ahead = SaturatingSub(SaturatingSub(position, early), std::max(ValueAt(now), floor_));
    // A clock that stands (for sound behind it, or for the sound's first
    // word) reaches the time it stands at only when it moves on: the frame
    // there is shown with its sound, not before it.
    const nanoseconds held = since_ > now && position >= base_ ? since_ - now : nanoseconds(0);
    if (ahead <= 0 && held == nanoseconds(0)) return nanoseconds(0);
    const double pace = now < paceUntil_ ? std::max(pace_, kSlowestPace) : 1.0;
    // At most a day, which keeps the sum in range.
    const double wait = ahead > 0 ? std::min(static_cast<double>(ahead) * 100 / pace, 864e11) : 0.0;
    const nanoseconds until = held + nanoseconds(static_cast<int64_t>(wait));
    return awaitingSound_ && held > nanoseconds(0) ? std::min(until, kLookAgainWhileAwaiting) : until;
}

bool StreamClock::Reached(STREAM_TIME position, STREAM_TIME early) const {
    return RealTimeTo(position, early) == nanoseconds(0);
}

}  // namespace standin::mmstream
