// The fault host's scenarios; each returns the process's exit code and
// prints one line starting with "outcome " for the lane to tabulate.
#pragma once

#include "fault_controls.h"
#include "host_options.h"
#include "host_screen.h"

namespace faulthost {

// Plays the target beside a looping bystander: to the end, a seek to the
// middle and on to the end, a pause at a third, then frees both. Faults
// are armed (and the file changed) as the options say.
int RunPlay(const HostOptions &options, const HostScreen &screen, const FaultControls &faults);

// Opens and frees the target again and again (0 to 2 ticks between) while
// the bystander plays.
int RunCycles(const HostOptions &options, const HostScreen &screen);

}  // namespace faulthost
