// Watches opening and closing a movie through the exported interface:
// createStreamSample (open, first synchronous frame, palette capture) and
// freeStreamSample, for a small pal8 and a small MPEG-4 movie on an 8-bit
// screen; and for leaks, resident memory growth over 50 such cycles.
#include <benchmark/benchmark.h>

#include <string>

#include "common/resident_memory.h"
#include "common/screen.h"
#include "moviegen/moviegen.h"
#include "vidsurf.h"

namespace {

constexpr int kWarmUpCycles = 5;
constexpr int kCycles = 50;

// A small movie, written once per kind.
const std::string &SmallMovie(moviegen::Kind kind, std::string *error) {
    static moviegen::TempDir directory;
    static std::string paths[2];
    std::string &path = paths[kind == moviegen::Kind::Pal8Avi ? 0 : 1];
    if (path.empty()) {
        moviegen::MovieRecipe movie;
        movie.kind = kind;
        movie.width = 160;
        movie.height = 120;
        movie.frames = 10;
        const std::string file = directory.File(std::string("small-") + moviegen::KindName(kind) +
                                                moviegen::KindExtension(kind));
        if (moviegen::WriteMovie(file, movie, error)) path = file;
    }
    return path;
}

void CreateFree(benchmark::State &state, moviegen::Kind kind) {
    std::string error;
    const std::string &path = SmallMovie(kind, &error);
    Screen screen;
    if (path.empty() || !screen.ok()) {
        state.SkipWithError(error.empty() ? "no screen" : error.c_str());
        return;
    }
    for (auto _ : state) {
        StreamSample *stream = createStreamSample(path.c_str(), nullptr, screen.directDraw());
        if (!stream) {
            state.SkipWithError("createStreamSample failed");
            break;
        }
        freeStreamSample(stream);
    }
    state.SetItemsProcessed(state.iterations());  // records
}

void ResidentGrowth(benchmark::State &state, moviegen::Kind kind) {
    std::string error;
    const std::string &path = SmallMovie(kind, &error);
    Screen screen;
    if (path.empty() || !screen.ok()) {
        state.SkipWithError(error.empty() ? "no screen" : error.c_str());
        return;
    }
    long growth = 0;
    for (auto _ : state) {
        for (int i = 0; i < kWarmUpCycles; ++i) freeStreamSample(createStreamSample(path.c_str(), nullptr, screen.directDraw()));
        const long before = ResidentKiB();
        for (int i = 0; i < kCycles; ++i) freeStreamSample(createStreamSample(path.c_str(), nullptr, screen.directDraw()));
        growth = ResidentKiB() - before;
    }
    state.SetItemsProcessed(state.iterations() * kCycles);
    state.counters["rss_growth_KiB"] = static_cast<double>(growth);
    state.counters["KiB_per_cycle"] = static_cast<double>(growth) / kCycles;
}

void BM_CreateFreeStreamSamplePal8(benchmark::State &state) { CreateFree(state, moviegen::Kind::Pal8Avi); }
void BM_CreateFreeStreamSampleMpeg4(benchmark::State &state) { CreateFree(state, moviegen::Kind::Mpeg4PcmAvi); }
void BM_CreateFreeResidentGrowthPal8(benchmark::State &state) { ResidentGrowth(state, moviegen::Kind::Pal8Avi); }
void BM_CreateFreeResidentGrowthMpeg4(benchmark::State &state) { ResidentGrowth(state, moviegen::Kind::Mpeg4PcmAvi); }

}  // namespace

// The first frame decodes on the stand-in's thread: wall time counts.
BENCHMARK(BM_CreateFreeStreamSamplePal8)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateFreeStreamSampleMpeg4)->UseRealTime()->Unit(benchmark::kMillisecond);
// One pass of 50 cycles: the counter is the result, not the time.
BENCHMARK(BM_CreateFreeResidentGrowthPal8)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateFreeResidentGrowthMpeg4)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
