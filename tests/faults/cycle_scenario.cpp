#include <cstdio>
#include <thread>

#include "deadline.h"
#include "host_session.h"
#include "scenarios.h"
#include "ticking_record.h"

namespace faulthost {

int RunCycles(const HostOptions &options, const HostScreen &screen) {
    const Census before = WarmUp(screen, options.bystander);
    StreamSample *bystanderStream = OpenRecord("bystander open", options.bystander, nullptr, screen.directDraw());
    if (!bystanderStream) {
        std::printf("outcome setup-error bystander=refused\n");
        return kExitSetup;
    }
    TickingRecord bystander(bystanderStream, screen.primary(), true);
    int refused = 0;
    for (int cycle = 0; cycle < options.cycles; ++cycle) {
        // Every other record presents into the window, stretched.
        HWND window = cycle % 2 ? screen.window() : nullptr;
        StreamSample *stream = OpenRecord("cycle open", options.target, window, screen.directDraw());
        if (!stream) {
            ++refused;
            continue;
        }
        TickingRecord target(stream, screen.primary(), false);
        StartDeadline("cycle ticks", 10);
        for (int tick = 0; tick < cycle % 3; ++tick) {
            const Clock::time_point now = Clock::now();
            target.Tick(now);
            bystander.Tick(now);
        }
        FreeRecord("cycle free", stream);
        bystander.Tick(Clock::now());
    }
    FreeRecord("bystander free", bystanderStream);
    const Census after = CheckLeftBehind(before, 3, nullptr, nullptr);
    std::printf("outcome cycles=%d refused=%d %s\n", options.cycles, refused, CensusText(before, after).c_str());
    std::fflush(stdout);
    if (refused > 0) {
        std::fprintf(stderr, "fault_host: %d of %d opens refused a movie that opens\n", refused, options.cycles);
        return kExitSetup;
    }
    return LeftBehind(before, after) ? kExitLeftBehind : kExitOk;
}

}  // namespace faulthost
