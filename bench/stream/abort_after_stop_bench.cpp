// Watches how long a host waits to abort a pending update after a stop:
// CompletionStatus(COMPSTAT_WAIT | COMPSTAT_ABORT, INFINITE) withdraws the
// update at once and never waits for a frame. Goal: at most 10 ms, the
// slowest abort of the run (1000 of them; a loaded machine's preemptions
// show in the maximum, hence the 99th percentile beside it).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "bench_movies.h"
#include "common/screen.h"
#include "movie_stream.h"

namespace {

constexpr double kAbortGoalMs = 10;

void BM_AbortAfterStop(benchmark::State &state) {
    std::string error;
    const std::string path = BenchMovie(MovieOf(moviegen::Kind::Mpeg4PcmAvi, 25), &error);
    Screen screen;
    MovieStream movie(screen.directDraw());
    if (path.empty() || !screen.ok() || !movie.Open(path, &error)) {
        state.SkipWithError(error.empty() ? "no screen" : error.c_str());
        return;
    }
    IAMMultiMediaStream *stream = movie.Stream();
    IDirectDrawStreamSample *sample = movie.Sample();
    std::vector<double> tookMs;
    for (auto _ : state) {
        // The clock far before the first frame: the update stays pending.
        stream->Seek(-100000000);
        stream->SetState(STREAMSTATE_RUN);
        if (sample->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0) != MS_S_PENDING) {
            state.SkipWithError("the update did not pend");
            break;
        }
        stream->SetState(STREAMSTATE_STOP);
        const auto before = std::chrono::steady_clock::now();
        const HRESULT hr = sample->CompletionStatus(COMPSTAT_WAIT | COMPSTAT_ABORT, INFINITE);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - before;
        state.SetIterationTime(took.count());
        tookMs.push_back(took.count() * 1000);
        if (hr != MS_S_NOUPDATE) {
            state.SkipWithError("the abort did not answer MS_S_NOUPDATE");
            break;
        }
    }
    if (tookMs.empty()) return;
    std::sort(tookMs.begin(), tookMs.end());
    state.counters["abort_p99_ms"] = tookMs[tookMs.size() * 99 / 100];
    state.counters["abort_max_ms"] = tookMs.back();
    state.counters["abort_goal_max_ms"] = kAbortGoalMs;
}

}  // namespace

BENCHMARK(BM_AbortAfterStop)->UseManualTime()->Iterations(1000)->Unit(benchmark::kMicrosecond);
