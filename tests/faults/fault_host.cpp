// fault_host: plays movies through the library's exports while the fault
// lane (scripts/fault-lane.sh) injects faults, and tells whether the
// process came through: one "outcome ..." line on standard output, and the
// exit code 0 (fine, also when an open was refused or a play ended early),
// 1 (set-up error), 2 (usage), 3 (a call hung past its deadline), 4 (a
// thread or descriptor left behind), 5 (a tick stalled at 2, or the play
// never ended). A crash or a sanitizer report ends the process as usual.
// Options: see kHostUsage in host_options.cpp.
#include <cstdio>
#include <cstdlib>

#include "fault_controls.h"
#include "host_options.h"
#include "host_screen.h"
#include "host_session.h"
#include "scenarios.h"

int main(int argc, char **argv) {
    using namespace faulthost;
    HostOptions options;
    std::string error;
    if (!ParseHostOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "fault_host: %s\n%s", error.c_str(), kHostUsage);
        return kExitUsage;
    }
    // The stand-in reads these when the first movie opens.
    setenv("VIDSURF_DISPLAY", "320x240x32", 1);
    if (options.freeClock)
        setenv("VIDSURF_CLOCK", "free", 1);
    else
        unsetenv("VIDSURF_CLOCK");

    const FaultControls faults;
    HostScreen screen;
    if (!screen.Open(&error)) {
        std::fprintf(stderr, "fault_host: %s\n", error.c_str());
        return kExitSetup;
    }
    return options.mode == HostOptions::Mode::kPlay ? RunPlay(options, screen, faults) : RunCycles(options, screen);
}
