#include "mmstream/stream_clock.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace standin::mmstream {

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

STREAM_TIME StreamClock::NowLocked() const {
    if (!running_ || free_) return base_;
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(Steady::now() - since_);
    // A clock set near the end of its range stays there instead of wrapping.
    STREAM_TIME now;
    return __builtin_add_overflow(base_, elapsed.count() / 100, &now) ? INT64_MAX : now;
}

void StreamClock::Run() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (running_) return;
    running_ = true;
    since_ = Steady::now();
}

void StreamClock::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    base_ = NowLocked();
    running_ = false;
}

void StreamClock::Set(STREAM_TIME position) {
    std::lock_guard<std::mutex> lock(mutex_);
    base_ = position;
    since_ = Steady::now();
}

void StreamClock::JumpForward(STREAM_TIME position) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (free_ && running_ && position > base_) base_ = position;
}

}  // namespace standin::mmstream
