#include "mmstream/palette/fixed_palette.h"

namespace standin::mmstream {

namespace {

constexpr uint32_t kStaticLow[10] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080,
                                     0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0};
constexpr uint32_t kStaticHigh[10] = {0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00,
                                      0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

std::array<uint32_t, 256> BuildPalette() {
    std::array<uint32_t, 256> entries{};
    for (int i = 0; i < 10; ++i) {
        entries[i] = kStaticLow[i];
        entries[246 + i] = kStaticHigh[i];
    }
    int next = 10;
    for (uint32_t r = 0; r < 6; ++r)
        for (uint32_t g = 0; g < 6; ++g)
            for (uint32_t b = 0; b < 6; ++b) entries[next++] = (r * 51 << 16) | (g * 51 << 8) | b * 51;
    // Greys between the cube's levels.
    for (uint32_t i = 0; i < 20; ++i) {
        const uint32_t level = 11 + 12 * i;
        entries[next++] = (level << 16) | (level << 8) | level;
    }
    return entries;
}

}  // namespace

const std::array<uint32_t, 256> &FixedPalette() {
    static const std::array<uint32_t, 256> palette = BuildPalette();
    return palette;
}

const PaletteMap &FixedPaletteMap() {
    // Never destroyed: a decoding thread may still paint while statics go.
    static const PaletteMap *map = new PaletteMap(FixedPalette());
    return *map;
}

}  // namespace standin::mmstream
