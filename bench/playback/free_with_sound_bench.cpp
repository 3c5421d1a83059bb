// Opening and closing a record while its movie plays with sound, on the
// real clock as a host plays. Each cycle opens the movie
// (createStreamSample: the open and the first frame, decoded synchronously
// into the sample), ticks every millisecond until a few frames are on the
// primary surface and the sound device has taken a few buffers, then frees
// the record. The wall times of the open and of the free, their median and
// 95th percentile over the cycles, and the time from the open to the
// device's first buffer. The same movies without a sound track are the
// contrast.
//
// The executable is built once per SDL audio driver (the name ends in the
// driver's): SDL_AUDIODRIVER is set in main, before the stand-in starts
// SDL's audio, and the benchmark checks that this driver is the one that
// runs.
#include <benchmark/benchmark.h>

#include <SDL.h>
#include <standin/standin.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "common/screen.h"
#include "playback_movies.h"
#include "stream/bench_movies.h"
#include "vidsurf.h"

namespace {

using Steady = std::chrono::steady_clock;

struct SoundMovie {
    moviegen::Kind kind;
    int width;
    int height;
    bool audio;
};
// moviegen writes H.264 with PCM sound into QuickTime (.mov), not MP4.
constexpr SoundMovie kMpeg4Pcm640x480{moviegen::Kind::Mpeg4PcmAvi, 640, 480, true};
constexpr SoundMovie kMpeg4Silent640x480{moviegen::Kind::Mpeg4PcmAvi, 640, 480, false};
constexpr SoundMovie kH264Pcm1080p{moviegen::Kind::H264Mov, 1920, 1080, true};
constexpr SoundMovie kH264Silent1080p{moviegen::Kind::H264Mov, 1920, 1080, false};

constexpr int kDefaultFrames = 50;          // two seconds at 25 fps
constexpr int kDefaultCycles = 20;          // the 95th percentile is the 19th of 20
constexpr int kFramesBeforeFree = 5;        // presented by the ticks
constexpr int kBuffersBeforeFree = 3;       // taken by the device
constexpr auto kPlayLimit = std::chrono::seconds(10);
constexpr int kTickRunning = 1;
// A free with sound waits on no device: it costs about what one without
// sound does, so a host freeing a movie shows no hitch.
constexpr double kFreeMedianGoalMs = 5;
constexpr double kFreeP95GoalMs = 15;
constexpr int kTickEnded = 0;

// VIDSURF_BENCH_CYCLES when set (the smoke runs keep it small).
int BenchCycles() {
    const char *text = std::getenv("VIDSURF_BENCH_CYCLES");
    const int cycles = text ? std::atoi(text) : 0;
    return cycles > 0 ? cycles : kDefaultCycles;
}

double Ms(Steady::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Nearest rank: with 20 values the 95th percentile is the 19th.
double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const size_t rank = static_cast<size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    return values[std::min(values.size(), std::max<size_t>(rank, 1)) - 1];
}

// Buffers the device has taken since the last Reset, and when the first was.
struct DeviceWatch {
    std::atomic<int> buffers{0};
    std::atomic<Steady::rep> firstTaken{0};

    void Reset() {
        buffers = 0;
        firstTaken = 0;
    }
    static void Taken(void *context, const short *, int, int, int) {
        auto &watch = *static_cast<DeviceWatch *>(context);
        Steady::rep none = 0;
        watch.firstTaken.compare_exchange_strong(none, Steady::now().time_since_epoch().count());
        ++watch.buffers;
    }
};

struct Cycle {
    double openMs = 0;
    double freeMs = 0;
    double firstSoundMs = -1;  // -1: the device took nothing
};

// One cycle; false with *error set when it could not be played as meant.
bool OpenPlayFree(const std::string &path, const Screen &screen, bool audio, DeviceWatch &watch, Cycle *cycle,
                  std::string *error) {
    watch.Reset();
    const Steady::time_point opening = Steady::now();
    StreamSample *stream = createStreamSample(path.c_str(), nullptr, screen.directDraw());
    const Steady::time_point opened = Steady::now();
    if (!stream) {
        *error = "createStreamSample failed";
        return false;
    }
    int presented = 0;
    const Steady::time_point limit = opened + kPlayLimit;
    auto nextTick = opened;
    while (presented < kFramesBeforeFree || (audio && watch.buffers < kBuffersBeforeFree)) {
        const int tick = updateStreamSample(stream, screen.primary());
        if (tick == kTickEnded || Steady::now() > limit) {
            *error = tick == kTickEnded ? "the movie ended before the free" : "the sound device took no buffers";
            freeStreamSample(stream);
            return false;
        }
        if (tick == kTickRunning) ++presented;
        nextTick += std::chrono::milliseconds(1);
        std::this_thread::sleep_until(nextTick);
    }
    const Steady::time_point freeing = Steady::now();
    freeStreamSample(stream);
    const Steady::time_point freed = Steady::now();

    cycle->openMs = Ms(opened - opening);
    cycle->freeMs = Ms(freed - freeing);
    const Steady::rep first = watch.firstTaken;
    if (first != 0) cycle->firstSoundMs = Ms(Steady::time_point(Steady::duration(first)) - opening);
    return true;
}

void MeasureFree(benchmark::State &state, const SoundMovie &movie) {
    const char *requested = std::getenv("SDL_AUDIODRIVER");
    std::string error;
    moviegen::MovieRecipe recipe = MovieOf(movie.kind, BenchFrames(kDefaultFrames));
    recipe.width = movie.width;
    recipe.height = movie.height;
    recipe.audio = movie.audio;
    const std::string path = BenchMovie(recipe, &error);
    Screen screen(true);
    if (path.empty() || !screen.ok()) {
        state.SkipWithError(error.empty() ? "no screen" : error.c_str());
        return;
    }
    DeviceWatch watch;
    StandinWatchAudio(&DeviceWatch::Taken, &watch);
    std::vector<double> opens, frees, firstSounds;
    bool played = true;
    for (auto _ : state) {
        for (int i = 0, cycles = BenchCycles(); i < cycles && played; ++i) {
            Cycle cycle;
            played = OpenPlayFree(path, screen, movie.audio, watch, &cycle, &error);
            opens.push_back(cycle.openMs);
            frees.push_back(cycle.freeMs);
            if (cycle.firstSoundMs >= 0) firstSounds.push_back(cycle.firstSoundMs);
        }
    }
    StandinWatchAudio(nullptr, nullptr);
    if (!played) {
        state.SkipWithError(error.c_str());
        return;
    }
    // The stand-in started SDL's audio for the first movie with sound.
    const char *running = SDL_GetCurrentAudioDriver();
    if (movie.audio && (!running || !requested || std::string(running) != requested)) {
        state.SkipWithError("SDL runs another audio driver than SDL_AUDIODRIVER asks for");
        return;
    }
    state.SetLabel(movie.audio ? std::string("sound on ") + running : "no sound track");
    state.counters["open_median_ms"] = Percentile(opens, 0.5);
    state.counters["open_p95_ms"] = Percentile(opens, 0.95);
    state.counters["free_median_ms"] = Percentile(frees, 0.5);
    state.counters["free_p95_ms"] = Percentile(frees, 0.95);
    state.counters["free_max_ms"] = Percentile(frees, 1.0);
    state.counters["free_median_goal_max_ms"] = kFreeMedianGoalMs;
    state.counters["free_p95_goal_max_ms"] = kFreeP95GoalMs;
    if (!firstSounds.empty()) state.counters["first_sound_median_ms"] = Percentile(firstSounds, 0.5);
    state.counters["cycles"] = static_cast<double>(frees.size());
}

void BM_FreeMpeg4Pcm640x480(benchmark::State &state) { MeasureFree(state, kMpeg4Pcm640x480); }
void BM_FreeMpeg4Silent640x480(benchmark::State &state) { MeasureFree(state, kMpeg4Silent640x480); }
void BM_FreeH264Pcm1080p(benchmark::State &state) { MeasureFree(state, kH264Pcm1080p); }
void BM_FreeH264Silent1080p(benchmark::State &state) { MeasureFree(state, kH264Silent1080p); }

}  // namespace

// One pass of the cycles: the counters are the result, not the time.
BENCHMARK(BM_FreeMpeg4Pcm640x480)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreeMpeg4Silent640x480)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreeH264Pcm1080p)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreeH264Silent1080p)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
