// Picture and sound in step: a movie whose frames flash white at every
// whole second and whose sound beeps at the same instants plays through
// the library on the real clock, the host ticking every millisecond, into
// a device of known pace: the stand-in's virtual device 0.5% fast and 0.5%
// slow, and SDL's disk driver as it runs here. A flash is timed by the end
// of the tick that put it on the primary surface, a beep by the moment the
// device takes its first sample; for each flash the offset beep - flash.
// The run pauses for a second at 40% and seeks ahead at 60% of the movie
// to a whole second, so that the first frame after the seek is a flash
// (reported apart as seek_flash_offset_ms), once alone and once while
// another thread keeps a core busy.
// Goal: all offsets within one band 15 ms wide that lies inside -40..+15 ms.
#include <benchmark/benchmark.h>

#include <standin/standin.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/screen.h"
#include "moviegen/moviegen.h"
#include "playback_movies.h"
#include "vidsurf.h"

namespace {

using Steady = std::chrono::steady_clock;

constexpr int kDefaultFrames = 1500;  // 60 s at 25 fps
constexpr int kRate = 44100;          // the renderer's output
constexpr double kBandGoalMs = 15.0;
constexpr double kOffsetGoalMinMs = -40.0;
constexpr double kOffsetGoalMaxMs = 15.0;
constexpr int kTickPresented = 1;
constexpr int kTickEnded = 0;

double Ms(Steady::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string FlashMovie(int frames, std::string *error) {
    static moviegen::TempDir directory;
    static std::string written;
    static int writtenFrames = 0;
    if (writtenFrames == frames) return written;
    moviegen::MovieRecipe movie;
    movie.kind = moviegen::Kind::Mpeg4PcmAvi;
    movie.width = 320;
    movie.height = 240;
    movie.frames = frames;
    movie.audio = true;
    movie.flashes = true;
    written = directory.File("flashes" + std::to_string(frames) + ".avi");
    if (directory.path().empty() || !moviegen::WriteMovie(written, movie, error)) return std::string();
    writtenFrames = frames;
    return written;
}

// Beep starts as the device takes them: the first loud sample after at
// least 100 ms of quiet, timed from the moment its buffer was taken at the
// device's pace. A beep's first sample is its peak (16000); the resampler
// rings below a tenth of that before it.
constexpr int kLoud = 4000;
struct BeepClock {
    std::mutex mutex;
    double pace = 1.0;
    long quietFrames = 0;
    std::vector<Steady::time_point> beeps;
};

void TakeBuffer(void *context, const short *samples, int frames, int channels, int) {
    const Steady::time_point taken = Steady::now();
    auto &clock = *static_cast<BeepClock *>(context);
    std::lock_guard<std::mutex> lock(clock.mutex);
    for (int i = 0; i < frames; ++i) {
        const int level = std::abs(samples[i * channels]);
        const bool loud = level >= kLoud;
        if (loud && clock.quietFrames >= kRate / 10)
            clock.beeps.push_back(taken + std::chrono::duration_cast<Steady::duration>(
                                              std::chrono::duration<double>(i / (kRate * clock.pace))));
        clock.quietFrames = loud ? 0 : clock.quietFrames + 1;
    }
}

// Whether the primary surface shows a flash: its top-left corner is white.
bool ShowsFlash(IDirectDrawSurface *primary) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (FAILED(primary->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr))) return false;
    const auto *pixel = static_cast<const uint8_t *>(desc.lpSurface) + 2 * desc.lPitch + 2 * 4;
    const bool white = pixel[1] > 128;
    primary->Unlock(desc.lpSurface);
    return white;
}

// Plays the movie to its end with a pause and a seek; the flashes' times,
// and in *afterSeek the index of the first flash after the seek.
bool Play(const std::string &path, const Screen &screen, std::vector<Steady::time_point> *flashes, size_t *afterSeek) {
    StreamSample *stream = createStreamSample(path.c_str(), nullptr, screen.directDraw());
    if (!stream) return false;
    const double duration = streamDuration(stream);
    // Between whole seconds, so that no flash falls at the cut.
    const double pauseAt = std::floor(duration * 0.4) + 0.5;
    const double seekAt = std::floor(duration * 0.6) + 0.3;
    const double seekTo = std::floor(duration * 0.7);
    const auto pauseFor = std::chrono::milliseconds(std::min(1000, static_cast<int>(duration * 100)));
    // The first frame shows as the stream opens, before the device has
    // started: its flash is not timed.
    bool paused = false, seeked = false, white = true;
    auto nextTick = Steady::now();
    for (;;) {
        const int tick = updateStreamSample(stream, screen.primary());
        if (tick == kTickEnded) break;
        if (tick == kTickPresented) {
            const bool nowWhite = ShowsFlash(screen.primary());
            if (nowWhite && !white) flashes->push_back(Steady::now());
            white = nowWhite;
        }
        const double clock = streamClock(stream);
        if (!paused && clock >= pauseAt) {
            paused = true;
            streamSeek(stream, -2.0);  // stops; the next tick runs it again
            std::this_thread::sleep_for(pauseFor);
            nextTick = Steady::now();
        } else if (!seeked && clock >= seekAt) {
            seeked = true;
            streamSeek(stream, seekTo);
            *afterSeek = flashes->size();
        }
        nextTick += std::chrono::milliseconds(1);
        std::this_thread::sleep_until(nextTick);
    }
    freeStreamSample(stream);
    return !flashes->empty();
}

void Measure(benchmark::State &state, const char *driver, double pace, bool busyCore) {
    setenv("SDL_AUDIODRIVER", driver, 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("VIDSURF_AUDIO_PACE", std::to_string(pace).c_str(), 1);
    std::string error;
    const std::string path = FlashMovie(BenchFrames(kDefaultFrames), &error);
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
    BeepClock beeps;
    beeps.pace = std::string(driver) == "standin" ? pace : 1.0;
    StandinWatchAudio(&TakeBuffer, &beeps);
    std::vector<Steady::time_point> flashes;
    size_t afterSeek = SIZE_MAX;
    bool played = true;
    for (auto _ : state) played = Play(path, screen, &flashes, &afterSeek);
    StandinWatchAudio(nullptr, nullptr);
    stop = true;
    if (spinner.joinable()) spinner.join();

    // Each flash with the beep nearest to it, if one lies within 200 ms.
    std::vector<double> offsets;
    for (size_t i = 0; i < flashes.size(); ++i) {
        const Steady::time_point flash = flashes[i];
        double best = 1e9;
        for (const Steady::time_point beep : beeps.beeps)
            if (std::abs(Ms(beep - flash)) < std::abs(best)) best = Ms(beep - flash);
        if (std::abs(best) < 200) offsets.push_back(best);
        // The flash at the seek's target: in step as the others, or not.
        if (i == afterSeek) state.counters["seek_flash_offset_ms"] = best;
        // VIDSURF_BENCH_VERBOSE lists every flash, for a look at the outliers.
        if (std::getenv("VIDSURF_BENCH_VERBOSE"))
            std::fprintf(stderr, "flash at %.3f s: beep - flash %.2f ms\n", Ms(flash - flashes.front()) / 1000, best);
    }
    if (!played || offsets.empty()) {
        state.SkipWithError("no flash met its beep");
        return;
    }
    std::sort(offsets.begin(), offsets.end());
    state.counters["offset_min_ms"] = offsets.front();
    state.counters["offset_median_ms"] = offsets[offsets.size() / 2];
    state.counters["offset_max_ms"] = offsets.back();
    state.counters["band_ms"] = offsets.back() - offsets.front();
    state.counters["band_goal_max_ms"] = kBandGoalMs;
    state.counters["offset_goal_min_ms"] = kOffsetGoalMinMs;
    state.counters["offset_goal_max_ms"] = kOffsetGoalMaxMs;
    state.counters["flashes"] = static_cast<double>(flashes.size());
    state.counters["pairs"] = static_cast<double>(offsets.size());
}

void BM_AvSyncFastDevice(benchmark::State &state) { Measure(state, "standin", 1.005, false); }
void BM_AvSyncFastDeviceBusyCore(benchmark::State &state) { Measure(state, "standin", 1.005, true); }
void BM_AvSyncSlowDevice(benchmark::State &state) { Measure(state, "standin", 0.995, false); }
void BM_AvSyncSlowDeviceBusyCore(benchmark::State &state) { Measure(state, "standin", 0.995, true); }
void BM_AvSyncDiskDriver(benchmark::State &state) { Measure(state, "disk", 1.0, false); }
void BM_AvSyncDiskDriverBusyCore(benchmark::State &state) { Measure(state, "disk", 1.0, true); }

}  // namespace

BENCHMARK(BM_AvSyncFastDevice)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AvSyncFastDeviceBusyCore)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AvSyncSlowDevice)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AvSyncSlowDeviceBusyCore)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AvSyncDiskDriver)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AvSyncDiskDriverBusyCore)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
