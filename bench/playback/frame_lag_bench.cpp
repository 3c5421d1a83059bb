// Frames on time: the real clock, a host that ticks every millisecond, and
// for each frame the lag from its start time to the end of the tick that
// put it on the primary surface (the stream clock as the tick last read
// it). A 640x480 MPEG-4 movie at 60 frames a second and a 1080p H.264 movie
// at 25, each once alone and once while another thread keeps a core busy.
// Goal: p99 below 5 ms.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "common/screen.h"
#include "playback_movies.h"
#include "vidsurf.h"

namespace {

// A movie of the benchmark: kind, size, rate and default length.
struct LagMovie {
    moviegen::Kind kind;
    int width;
    int height;
    int fps;
    int frames;
};
constexpr LagMovie kMpeg4_640x480{moviegen::Kind::Mpeg4PcmAvi, 640, 480, 60, 240};  // four seconds
constexpr LagMovie kH264_1080p{moviegen::Kind::H264Mov, 1920, 1080, 25, 125};       // five seconds
constexpr double kP99GoalMs = 5.0;
constexpr int kTickRunning = 1;
constexpr int kTickEnded = 0;


double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const size_t rank = static_cast<size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    return values[std::min(values.size(), std::max<size_t>(rank, 1)) - 1];
}

// Lags in milliseconds of the frames the ticks present, up to the one
// before the last (the end's ticks look like frames). The first frame was
// decoded at opening, before the clock ran, so the first tick that presents
// shows the second frame.
bool PlayOnTime(const std::string &path, int frames, const Screen &screen, std::vector<double> *lags) {
    StreamSample *stream = createStreamSample(path.c_str(), nullptr, screen.directDraw());
    if (!stream) return false;
    const double frameSeconds = streamFrametime(stream) / 1000.0;
    int presented = 0;
    auto nextTick = std::chrono::steady_clock::now();
    for (;;) {
        const int tick = updateStreamSample(stream, screen.primary());
        if (tick == kTickEnded) break;
        if (tick == kTickRunning) {
            const int frame = ++presented;
            if (frame < frames - 1) lags->push_back((streamClock(stream) - frame * frameSeconds) * 1000.0);
        }
        nextTick += std::chrono::milliseconds(1);
        std::this_thread::sleep_until(nextTick);
    }
    freeStreamSample(stream);
    return !lags->empty();
}

void MeasureLag(benchmark::State &state, const LagMovie &movie, bool busyCore) {
    std::string error;
    const int frames = BenchFrames(movie.frames);
    const std::string path = PlaybackMovie(movie.kind, &error, movie.width, movie.height, frames, movie.fps);
    Screen screen(true);
    if (path.empty() || !screen.ok()) {
        state.SkipWithError(error.empty() ? "no screen" : error.c_str());
        return;
    }
    std::atomic<bool> stop{false};
    std::thread spinner;
    if (busyCore)
        spinner = std::thread([&stop] {
            while (!stop.load(std::memory_order_relaxed)) {
            }
        });
    std::vector<double> lags;
    bool played = true;
    for (auto _ : state) played = PlayOnTime(path, frames, screen, &lags);
    stop = true;
    if (spinner.joinable()) spinner.join();
    if (!played) {
        state.SkipWithError("playback failed");
        return;
    }
    state.counters["lag_p50_ms"] = Percentile(lags, 0.50);
    state.counters["lag_p99_ms"] = Percentile(lags, 0.99);
    state.counters["lag_max_ms"] = Percentile(lags, 1.0);
    state.counters["lag_p99_goal_max_ms"] = kP99GoalMs;
    state.counters["frames"] = static_cast<double>(lags.size());
}

void BM_FrameLag640x480(benchmark::State &state) { MeasureLag(state, kMpeg4_640x480, false); }
void BM_FrameLag640x480BusyCore(benchmark::State &state) { MeasureLag(state, kMpeg4_640x480, true); }
void BM_FrameLagH264_1080p(benchmark::State &state) { MeasureLag(state, kH264_1080p, false); }
void BM_FrameLagH264_1080pBusyCore(benchmark::State &state) { MeasureLag(state, kH264_1080p, true); }

}  // namespace

BENCHMARK(BM_FrameLag640x480)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameLag640x480BusyCore)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameLagH264_1080p)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameLagH264_1080pBusyCore)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
