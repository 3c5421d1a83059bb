#include "decode_loop.h"

#include "bench_movies.h"
#include "common/screen.h"
#include "movie_stream.h"

void DecodeFrames(benchmark::State &state, const moviegen::MovieRecipe &written) {
    std::string error;
    const std::string path = BenchMovie(written, &error);
    Screen screen;
    MovieStream movie(screen.directDraw());
    if (path.empty() || !screen.ok() || !movie.Open(path, &error)) {
        state.SkipWithError(error.empty() ? "no screen" : error.c_str());
        return;
    }
    movie.Run();
    for (auto _ : state) {
        HRESULT hr = movie.Update();
        if (hr == MS_S_ENDOFSTREAM) {
            // The seek back is not a frame's cost.
            state.PauseTiming();
            movie.Rewind();
            state.ResumeTiming();
            hr = movie.Update();
        }
        if (hr != S_OK) {
            state.SkipWithError("Update failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
