// Watches the surface lock that every pixel access takes (the translation
// remap, the frame copy, raw pixel reads and writes): Lock plus Unlock of a
// whole surface, with no pixel work.
#include <benchmark/benchmark.h>

#include "common/screen.h"

namespace {

void LockUnlock(benchmark::State &state, IDirectDrawSurface *surface) {
    for (auto _ : state) {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_ALL;
        if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) {
            state.SkipWithError("Lock failed");
            break;
        }
        benchmark::DoNotOptimize(desc.lpSurface);
        surface->Unlock(nullptr);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_LockUnlockOffscreen320x240(benchmark::State &state) {
    Screen screen;
    IDirectDrawSurface *surface = screen.ok() ? screen.MakeOffscreen(320, 240) : nullptr;
    if (!surface) {
        state.SkipWithError("no surface");
        return;
    }
    LockUnlock(state, surface);
    surface->Release();
}

void BM_LockUnlockPrimary(benchmark::State &state) {
    Screen screen(true);
    if (!screen.ok()) {
        state.SkipWithError("no primary surface");
        return;
    }
    LockUnlock(state, screen.primary());
}

}  // namespace

BENCHMARK(BM_LockUnlockOffscreen320x240);
BENCHMARK(BM_LockUnlockPrimary);
