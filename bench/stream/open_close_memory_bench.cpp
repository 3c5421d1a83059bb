// Watches for leaks in opening and closing movies: resident memory growth
// over 50 open/decode/close cycles, after a few warm-up cycles that fill
// FFmpeg's and the allocator's one-time caches. Steady state is ~0; a leak
// shows as growth proportional to the cycles.
#include <benchmark/benchmark.h>

#include "bench_movies.h"
#include "common/resident_memory.h"
#include "common/screen.h"
#include "movie_stream.h"

namespace {

constexpr int kWarmUpCycles = 5;
constexpr int kCycles = 50;
constexpr int kFramesPerCycle = 10;

bool Cycle(IDirectDraw *directDraw, const std::string &path, std::string *error) {
    MovieStream movie(directDraw);
    if (!movie.Open(path, error)) return false;
    movie.Run();
    for (int i = 0; i < kFramesPerCycle; ++i) {
        if (movie.Update() != S_OK) return *error = "Update failed", false;
    }
    return true;
}

void ResidentGrowth(benchmark::State &state, moviegen::Kind kind) {
    std::string error;
    const std::string path = BenchMovie(MovieOf(kind, 25), &error);
    Screen screen;
    if (path.empty() || !screen.ok()) {
        state.SkipWithError(error.empty() ? "no screen" : error.c_str());
        return;
    }
    long growth = 0;
    for (auto _ : state) {
        for (int i = 0; i < kWarmUpCycles; ++i) {
            if (!Cycle(screen.directDraw(), path, &error)) break;
        }
        const long before = ResidentKiB();
        for (int i = 0; i < kCycles && error.empty(); ++i) Cycle(screen.directDraw(), path, &error);
        growth = ResidentKiB() - before;
        if (!error.empty()) state.SkipWithError(error.c_str());
    }
    state.SetItemsProcessed(state.iterations() * kCycles);
    state.counters["rss_growth_KiB"] = static_cast<double>(growth);
    state.counters["KiB_per_cycle"] = static_cast<double>(growth) / kCycles;
}

void BM_OpenCloseResidentGrowthRawRgb(benchmark::State &state) { ResidentGrowth(state, moviegen::Kind::RawRgbAvi); }
void BM_OpenCloseResidentGrowthMpeg4(benchmark::State &state) { ResidentGrowth(state, moviegen::Kind::Mpeg4PcmAvi); }

}  // namespace

// One pass of 50 cycles: the counter is the result, not the time.
BENCHMARK(BM_OpenCloseResidentGrowthRawRgb)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenCloseResidentGrowthMpeg4)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
