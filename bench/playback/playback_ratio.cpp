#include "playback_ratio.h"

#include <algorithm>
#include <string>

#include "common/screen.h"
#include "playback_movies.h"
#include "tick_loop.h"

namespace {

constexpr int kRounds = 2;
constexpr double kAllocationsGoal = 0;

}  // namespace

void ComparePlayback(benchmark::State &state, moviegen::Kind kind, ReferenceTarget target, double goal) {
    std::string error;
    const std::string path = PlaybackMovie(kind, &error);
    Screen screen(true);
    if (path.empty() || !screen.ok()) {
        state.SkipWithError(error.empty() ? "no screen" : error.c_str());
        return;
    }
    double libavFps = 0;
    TickResult best;
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            LoopResult plain;
            TickResult ticked;
            if (!PlainLibavLoop(path, target, &plain, &error) || !TickLoop(path, screen, &ticked, &error)) {
                state.SkipWithError(error.c_str());
                return;
            }
            libavFps = std::max(libavFps, plain.fps());
            if (ticked.fps() > best.fps()) best = ticked;
        }
    }
    state.counters["libav_fps"] = libavFps;
    state.counters["tick_fps"] = best.fps();
    state.counters["fps_ratio"] = libavFps > 0 ? best.fps() / libavFps : 0;
    state.counters["fps_ratio_goal_min"] = goal;
    state.counters["frames"] = best.frames;
    if (best.allocationsPerFrame >= 0) {
        state.counters["allocs_per_frame"] = best.allocationsPerFrame;
        state.counters["allocs_per_frame_goal_max"] = kAllocationsGoal;
    }
}
