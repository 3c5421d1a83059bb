// Watches the blit of every presented frame: a 320x240 frame stretched onto
// a 640x480 primary surface (a window's client area), and the same frame
// at its own size (a record without a window).
#include <benchmark/benchmark.h>

#include "common/screen.h"

namespace {

void BltFrame(benchmark::State &state, LONG destWidth, LONG destHeight) {
    Screen screen(true);
    IDirectDrawSurface *frame = screen.ok() ? screen.MakeOffscreen(320, 240) : nullptr;
    if (!frame) {
        state.SkipWithError("no screen or frame surface");
        return;
    }
    RECT source{0, 0, 320, 240};
    RECT dest{0, 0, destWidth, destHeight};
    for (auto _ : state) {
        if (screen.primary()->Blt(&dest, frame, &source, DDBLT_WAIT, nullptr) != DD_OK) {
            state.SkipWithError("Blt failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());  // frames
    state.SetBytesProcessed(state.iterations() * destWidth * destHeight * (screen.bitsPerPixel() / 8));
    state.counters["bpp"] = screen.bitsPerPixel();
    frame->Release();
}

void BM_BltStretched320x240To640x480(benchmark::State &state) { BltFrame(state, 640, 480); }
void BM_Blt320x240Unstretched(benchmark::State &state) { BltFrame(state, 320, 240); }

}  // namespace

BENCHMARK(BM_BltStretched320x240To640x480)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Blt320x240Unstretched)->Unit(benchmark::kMicrosecond);
