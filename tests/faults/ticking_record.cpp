#include "ticking_record.h"

// The record's fields, to tell a failed update from one still pending.
#include "stream/stream_sample.h"

namespace faulthost {

int TickingRecord::Tick(Clock::time_point now) {
    const int result = updateStreamSample(stream_, primary_);
    failed_ = result == 2 && FAILED(stream_->updateStatus);
    if (failed_) {
        pendingSince_ = Clock::time_point{};
        if (loops_) streamSeek(stream_, 0.0);
        return result;
    }
    if (result == 2) {
        if (pendingSince_ == Clock::time_point{}) pendingSince_ = now;
        const double pending = SecondsPending(now);
        if (pending > longestPending_) longestPending_ = pending;
    } else {
        pendingSince_ = Clock::time_point{};
    }
    if (result == 0 && loops_) streamSeek(stream_, 0.0);
    return result;
}

double TickingRecord::SecondsPending(Clock::time_point now) const {
    if (pendingSince_ == Clock::time_point{}) return 0;
    return std::chrono::duration<double>(now - pendingSince_).count();
}

}  // namespace faulthost
