#ifdef VIDSURF_HAS_TICK

#include "tick_loops.h"

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// Far longer than any test movie lasts.
constexpr std::chrono::seconds kPatience{10};

}  // namespace

void NoteFrame(const DesktopHost &host, const RECT &where, TickRun *run) {
    ScreenPicture picture;
    if (!ReadScreen(host.primary(), where, &picture)) return;
    const int frame = FrameShown(picture);
    if (frame >= 0 && (run->framesShown.empty() || run->framesShown.back() != frame))
        run->framesShown.push_back(frame);
}

TickRun TickToEnd(StreamSample *stream, const DesktopHost &host, const RECT &where) {
    TickRun run;
    const Clock::time_point deadline = Clock::now() + kPatience;
    while (Clock::now() < deadline) {
        const int result = updateStreamSample(stream, host.primary());
        if (result < 0 || result > 2) run.resultsInRange = false;
        if (result == 0) {
            run.ended = true;
            break;
        }
        if (result == 1) NoteFrame(host, where, &run);
    }
    return run;
}

int TickUntilFrameChanges(StreamSample *stream, const DesktopHost &host, const RECT &where, int before,
                          ScreenPicture *picture) {
    const Clock::time_point deadline = Clock::now() + kPatience;
    while (Clock::now() < deadline) {
        if (updateStreamSample(stream, host.primary()) != 1) continue;
        if (!ReadScreen(host.primary(), where, picture)) return -1;
        const int frame = FrameShown(*picture);
        if (frame != before) return frame;
    }
    return -1;
}

#endif  // VIDSURF_HAS_TICK
