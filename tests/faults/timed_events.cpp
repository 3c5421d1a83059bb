#include "timed_events.h"

#include <cstdio>

namespace faulthost {

void TimedEvents::Poll(Clock::time_point now) {
    const double elapsed = std::chrono::duration<double>(now - opened_).count();
    if (!armed_ && options_.arm == HostOptions::Arm::kAtTime && elapsed >= options_.armAt) {
        faults_.Arm();
        armed_ = true;
    }
    if (!mutated_ && options_.mutation != Mutation::kNone && elapsed >= options_.mutateAt) {
        mutated_ = true;
        if (!mutation_.Apply(&mutationError_)) std::fprintf(stderr, "fault_host: %s\n", mutationError_.c_str());
    }
}

const char *TimedEvents::Missed() const {
    if (options_.arm == HostOptions::Arm::kAtTime && !armed_) return "the arming";
    if (options_.mutation != Mutation::kNone && !mutated_) return "the change to the file";
    return nullptr;
}

}  // namespace faulthost
