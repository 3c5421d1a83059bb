// Watches the per-frame cost of presenting an 8-bit palettized movie: the
// 256-entry translation table is rebuilt against the system palette for
// every presented frame (256 nearest-colour lookups), and the 320x240 copy
// is remapped in place, one table lookup per byte, with no allocation.
#include <benchmark/benchmark.h>

#include <cstring>

#include "common/screen.h"
#include "present/log_palette.h"
#include "present/surface_lookup.h"
#include "present/translation_table.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// A stream palette unlike the system palette: a colour ramp per channel.
LogPalette256 StreamPalette() {
    LogPalette256 palette;
    std::memset(&palette, 0, sizeof palette);
    palette.palVersion = kLogPaletteVersion;
    palette.palNumEntries = kPaletteEntries;
    for (int i = 0; i < kPaletteEntries; ++i)
        palette.palPalEntry[i] = {static_cast<BYTE>(i * 3), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7), 0};
    return palette;
}

void BM_BuildTranslationTable(benchmark::State &state) {
    const LogPalette256 stream = StreamPalette();
    const HDC dc = GetDC(nullptr);
    TranslationTable table;
    for (auto _ : state) {
        buildTranslationTable(dc, asLogPalette(&stream), &table);
        benchmark::DoNotOptimize(table);
    }
    ReleaseDC(nullptr, dc);
    state.SetItemsProcessed(state.iterations());  // tables
}

void BM_SurfaceLookup320x240(benchmark::State &state) {
    Screen screen;
    IDirectDrawSurface *surface = screen.ok() ? screen.MakeOffscreen(kWidth, kHeight) : nullptr;
    if (!surface || screen.bitsPerPixel() != 8) {
        state.SkipWithError("no 8-bit surface");
        return;
    }
    TranslationTable table;
    for (int i = 0; i < kPaletteEntries; ++i) table.index[i] = static_cast<BYTE>(255 - i);
    for (auto _ : state) ddSurfaceLookup(surface, &table);
    surface->Release();
    state.SetItemsProcessed(state.iterations());  // frames
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight);
}

// What one translated presentation pays for both together.
void BM_TranslateFrame320x240(benchmark::State &state) {
    Screen screen;
    IDirectDrawSurface *surface = screen.ok() ? screen.MakeOffscreen(kWidth, kHeight) : nullptr;
    if (!surface || screen.bitsPerPixel() != 8) {
        state.SkipWithError("no 8-bit surface");
        return;
    }
    const LogPalette256 stream = StreamPalette();
    const HDC dc = GetDC(nullptr);
    TranslationTable table;
    for (auto _ : state) {
        buildTranslationTable(dc, asLogPalette(&stream), &table);
        ddSurfaceLookup(surface, &table);
    }
    ReleaseDC(nullptr, dc);
    surface->Release();
    state.SetItemsProcessed(state.iterations());  // frames
}

}  // namespace

BENCHMARK(BM_BuildTranslationTable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SurfaceLookup320x240)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TranslateFrame320x240)->Unit(benchmark::kMicrosecond);
