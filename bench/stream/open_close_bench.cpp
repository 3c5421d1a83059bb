// Watches the cost of opening and closing a movie as the library does it on
// every createStreamSample/freeStreamSample: open through the SDK, make the
// frame surface and sample, decode the first frame, release everything.
// On a palettized screen the first true-colour frame also pays for the
// stand-in's colour-to-index map.
#include <benchmark/benchmark.h>

#include "bench_movies.h"
#include "common/screen.h"
#include "movie_stream.h"

namespace {

void OpenClose(benchmark::State &state, moviegen::Kind kind, bool withAudio = false) {
    std::string error;
    const std::string path = BenchMovie(MovieOf(kind, 25), &error);
    Screen screen;
    if (path.empty() || !screen.ok()) {
        state.SkipWithError(error.empty() ? "no screen" : error.c_str());
        return;
    }
    for (auto _ : state) {
        MovieStream movie(screen.directDraw());
        if (!movie.Open(path, &error, withAudio)) {
            state.SkipWithError(error.c_str());
            break;
        }
        movie.Run();
        if (movie.Update() != S_OK) {
            state.SkipWithError("first Update failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());  // movies
}

void BM_OpenCloseRawRgb(benchmark::State &state) { OpenClose(state, moviegen::Kind::RawRgbAvi); }
void BM_OpenCloseMpeg4(benchmark::State &state) { OpenClose(state, moviegen::Kind::Mpeg4PcmAvi); }
void BM_OpenClosePal8(benchmark::State &state) { OpenClose(state, moviegen::Kind::Pal8Avi); }
// The library attaches the default audio renderer to every movie.
void BM_OpenCloseMpeg4WithAudioRenderer(benchmark::State &state) {
    OpenClose(state, moviegen::Kind::Mpeg4PcmAvi, true);
}

}  // namespace

BENCHMARK(BM_OpenCloseRawRgb)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenCloseMpeg4)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenClosePal8)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenCloseMpeg4WithAudioRenderer)->UseRealTime()->Unit(benchmark::kMillisecond);
