// The 8-bit presentation path of one frame (updateSurface on a pal8 movie:
// translation table, copy to the back surface, remap, blit to the primary
// surface) against one plain 256-entry byte-table pass over a frame of the
// same size, at 320x240 and 640x480. Goal: the path costs at most twice
// the pass. Both are timed in the same run, best of a few batches each, in
// CPU time of the calling thread: all of the path's work runs on it, and
// other work on the machine then does not blur the comparison.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <vector>

#include "common/allocation_count.h"
#include "common/screen.h"
#include "playback_movies.h"
#include "vidsurf.h"

namespace {

constexpr int kBatches = 5;
constexpr int kPerBatch = 40;
constexpr double kGoal = 2.0;

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// CPU seconds per call of `work`, the best batch's average.
template <typename Work>
double BestSecondsPerCall(Work work) {
    double best = 1e9;
    for (int batch = 0; batch < kBatches; ++batch) {
        const double started = ThreadSeconds();
        for (int i = 0; i < kPerBatch; ++i) work();
        best = std::min(best, (ThreadSeconds() - started) / kPerBatch);
    }
    return best;
}

void ComparePresentPath(benchmark::State &state, int width, int height) {
    std::string error;
    const std::string path = PlaybackMovie(moviegen::Kind::Pal8Avi, &error, width, height, 10);
    Screen screen(true);
    StreamSample *stream = path.empty() || !screen.ok() ? nullptr
                                                        : createStreamSample(path.c_str(), nullptr, screen.directDraw());
    if (!stream || screen.bitsPerPixel() != 8) {
        if (stream) freeStreamSample(stream);
        state.SkipWithError(error.empty() ? "no 8-bit screen or no stream" : error.c_str());
        return;
    }
    std::vector<uint8_t> frame(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 7);
    uint8_t table[256];
    for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(255 - i);

    double pathSeconds = 0;
    double passSeconds = 0;
    double allocationsPerFrame = 0;
    for (auto _ : state) {
        const uint64_t before = AllocationCount();
        pathSeconds = BestSecondsPerCall([&] { updateSurface(stream, screen.primary()); });
        allocationsPerFrame = static_cast<double>(AllocationCount() - before) / (kBatches * kPerBatch);
        passSeconds = BestSecondsPerCall([&] {
            for (uint8_t &pixel : frame) pixel = table[pixel];
            benchmark::ClobberMemory();
        });
    }
    freeStreamSample(stream);
    state.counters["path_us"] = pathSeconds * 1e6;
    state.counters["table_pass_us"] = passSeconds * 1e6;
    state.counters["cost_ratio"] = passSeconds > 0 ? pathSeconds / passSeconds : 0;
    state.counters["cost_ratio_goal_max"] = kGoal;
    if (AllocationCountingAvailable()) state.counters["allocs_per_frame"] = allocationsPerFrame;
}

void BM_PresentPathVsTablePass320x240(benchmark::State &state) { ComparePresentPath(state, 320, 240); }
void BM_PresentPathVsTablePass640x480(benchmark::State &state) { ComparePresentPath(state, 640, 480); }

}  // namespace

BENCHMARK(BM_PresentPathVsTablePass320x240)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PresentPathVsTablePass640x480)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
