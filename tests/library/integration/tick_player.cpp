#include "tick_player.h"

#include <chrono>

double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

TickedPlayback PlayToEndByTicking(StreamSample *stream, const ScreenReader &screen, const RECT &area, double start,
                                  double guardSeconds) {
    TickedPlayback playback;
    const double guardUntil = SteadySeconds() + guardSeconds;
    while (SteadySeconds() < guardUntil) {
        const int result = updateStreamSample(stream, screen.primary());
        playback.results.push_back(result);
        if (result == 0) {
            playback.ended = true;
            break;
        }
        if (result != 1) continue;
        const int frame = screen.frameIndex(area);
        if (!playback.shown.empty() && playback.shown.back() == frame) continue;
        playback.shown.push_back(frame);
        playback.shownClock.push_back(streamClock(stream));
        playback.shownAfter.push_back(SteadySeconds() - start);
    }
    return playback;
}
