#include "playback_ratio.h"

#include <string>

#include "common/screen.h"
#include "playback_movies.h"
#include "tick_loop.h"

namespace {

constexpr int kRounds = 3;
constexpr double kAllocationsGoal = 0;

}  // namespace

void ComparePlayback(benchmark::State &state, moviegen::Kind kind, ReferenceTarget target, double goal) {
    ComparePlayback(state, PlaybackMovieSpec{kind}, target, goal);
}

void ComparePlayback(benchmark::State &state, const PlaybackMovieSpec &movie, ReferenceTarget target, double goal) {
    std::string error;
    const std::string path =
        PlaybackMovie(movie.kind, &error, movie.width, movie.height, BenchFrames(movie.frames));
    Screen screen(true);
    if (path.empty() || !screen.ok()) {
        state.SkipWithError(error.empty() ? "no screen" : error.c_str());
        return;
    }
    LoopResult reference;
    LoopResult best;
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            LoopResult plain;
            LoopResult ticked;
            if (!PlainLibavLoop(path, target, &plain, &error) || !TickLoop(path, screen, &ticked, &error)) {
                state.SkipWithError(error.c_str());
                return;
            }
            if (plain.fps() > reference.fps()) reference = plain;
            if (ticked.fps() > best.fps()) best = ticked;
        }
    }
    state.counters["libav_fps"] = reference.fps();
    state.counters["tick_fps"] = best.fps();
    state.counters["fps_ratio"] = reference.fps() > 0 ? best.fps() / reference.fps() : 0;
    state.counters["fps_ratio_goal_min"] = goal;
    state.counters["frames"] = best.frames;
    // Load-independent: the CPU a frame costs each loop, all threads.
    state.counters["libav_cpu_ms_per_frame"] = reference.cpuMsPerFrame();
    state.counters["tick_cpu_ms_per_frame"] = best.cpuMsPerFrame();
    if (best.allocationsPerFrame >= 0) {
        // What FFmpeg allocates itself to demux and decode a frame comes
        // with any use of it; what the library and the stand-in add is the
        // figure with the goal.
        state.counters["libav_allocs_per_frame"] = reference.allocationsPerFrame;
        state.counters["tick_allocs_per_frame"] = best.allocationsPerFrame;
        state.counters["added_allocs_per_frame"] = best.allocationsPerFrame - reference.allocationsPerFrame;
        state.counters["added_allocs_per_frame_goal_max"] = kAllocationsGoal;
    }
}
