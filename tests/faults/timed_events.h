// What happens at a time after the target opened: the fault shim armed,
// the movie's file changed. Polled by the ticking loop; a poll allocates
// nothing until the file is changed.
#pragma once

#include <string>

#include "fault_controls.h"
#include "file_mutation.h"
#include "host_options.h"
#include "ticking_record.h"

namespace faulthost {

class TimedEvents {
public:
    TimedEvents(const HostOptions &options, const FaultControls &faults, const FileMutation &mutation)
        : options_(options), faults_(faults), mutation_(mutation) {}

    void Start(Clock::time_point opened) { opened_ = opened; }
    void Poll(Clock::time_point now);
    // The event the play ended before, if any: then the run tested nothing.
    const char *Missed() const;
    bool MutationFailed() const { return !mutationError_.empty(); }

private:
    const HostOptions &options_;
    const FaultControls &faults_;
    const FileMutation &mutation_;
    Clock::time_point opened_{};
    bool armed_ = false;
    bool mutated_ = false;
    std::string mutationError_;
};

}  // namespace faulthost
