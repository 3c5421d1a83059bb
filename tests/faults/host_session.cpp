#include "host_session.h"

#include <cstdio>
#include <thread>

#include "deadline.h"
#include "ticking_record.h"

namespace faulthost {

constexpr unsigned kCallDeadlineSeconds = 10;

StreamSample *OpenRecord(const char *phase, const std::string &path, HWND window, IDirectDraw *directDraw) {
    StartDeadline(phase, kCallDeadlineSeconds);
    StreamSample *stream = createStreamSample(path.c_str(), window, directDraw);
    ClearDeadline();
    return stream;
}

void FreeRecord(const char *phase, StreamSample *stream) {
    StartDeadline(phase, kCallDeadlineSeconds);
    freeStreamSample(stream);
    ClearDeadline();
}

Census WarmUp(const HostScreen &screen, const std::string &movie) {
    if (StreamSample *stream = OpenRecord("warm-up open", movie, nullptr, screen.directDraw())) {
        TickingRecord record(stream, screen.primary(), false);
        StartDeadline("warm-up play", kCallDeadlineSeconds);
        const Clock::time_point until = Clock::now() + std::chrono::seconds(3);
        for (Clock::time_point now = Clock::now(); now < until && record.Tick(now) != 1; now = Clock::now())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ClearDeadline();
        FreeRecord("warm-up free", stream);
    }
    Census settled = TakeCensus();
    for (int i = 0; i < 20; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const Census again = TakeCensus();
        if (again.threads == settled.threads && again.fds == settled.fds) break;
        settled = again;
    }
    return settled;
}

bool LeftBehind(const Census &before, const Census &after) {
    return after.threads > before.threads || after.fds > before.fds;
}

Census CheckLeftBehind(const Census &before, double seconds, void (*meanwhile)(void *), void *context) {
    const Census after = SettleTo(before, seconds, meanwhile, context);
    if (LeftBehind(before, after))
        std::fprintf(stderr, "fault_host: left behind after %.1f s: %s\n", seconds, CensusText(before, after).c_str());
    return after;
}

}  // namespace faulthost
