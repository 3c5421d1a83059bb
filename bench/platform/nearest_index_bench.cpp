// Watches the per-presentation cost of a translation table: 256
// GetNearestPaletteIndex lookups (one per stream-palette colour) against a
// 256-entry palette. It is rebuilt for every translated frame.
#include <benchmark/benchmark.h>

#include <windows.h>

#include <cstdint>
#include <vector>

namespace {

// A palette of 256 scattered colours, the same on every run.
std::vector<PALETTEENTRY> ScatteredColours(uint32_t seed) {
    std::vector<PALETTEENTRY> colours(256);
    uint32_t state = seed;
    for (PALETTEENTRY &entry : colours) {
        state = state * 1664525u + 1013904223u;
        entry = {static_cast<BYTE>(state >> 24), static_cast<BYTE>(state >> 16), static_cast<BYTE>(state >> 8), 0};
    }
    return colours;
}

void BM_NearestIndexTable256(benchmark::State &state) {
    // LOGPALETTE declares one entry; room for all 256 follows it.
    const std::vector<PALETTEENTRY> system = ScatteredColours(1);
    std::vector<uint8_t> block(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
    auto *logPalette = reinterpret_cast<LOGPALETTE *>(block.data());
    logPalette->palVersion = 0x300;
    logPalette->palNumEntries = 256;
    for (int i = 0; i < 256; ++i) logPalette->palPalEntry[i] = system[i];
    const HPALETTE palette = CreatePalette(logPalette);
    if (!palette) {
        state.SkipWithError("CreatePalette failed");
        return;
    }
    std::vector<COLORREF> wanted;
    for (const PALETTEENTRY &entry : ScatteredColours(2)) wanted.push_back(RGB(entry.peRed, entry.peGreen, entry.peBlue));

    BYTE table[256];
    for (auto _ : state) {
        for (int i = 0; i < 256; ++i) table[i] = static_cast<BYTE>(GetNearestPaletteIndex(palette, wanted[i]));
        benchmark::DoNotOptimize(table);
    }
    state.SetItemsProcessed(state.iterations());  // tables
    state.counters["lookups"] = benchmark::Counter(256.0 * state.iterations(), benchmark::Counter::kIsRate);
    DeleteObject(palette);
}

}  // namespace

BENCHMARK(BM_NearestIndexTable256)->Unit(benchmark::kMicrosecond);
