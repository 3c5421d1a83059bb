// PaletteMap against a plain search of all 256 entries, on palettes that
// make the nearest entry hard to find: ties, duplicates, clusters, one
// colour everywhere.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "mmstream/palette/fixed_palette.h"
#include "mmstream/palette/palette_map.h"
#include "mmstream/palette/palette_map_cache.h"

namespace standin::mmstream {
namespace {

using Palette = std::array<uint32_t, 256>;

// The lowest index of the entries nearest to (r, g, b).
uint8_t Nearest(const Palette &palette, int r, int g, int b) {
    int best = 0, bestDistance = 1 << 30;
    for (int i = 0; i < 256; ++i) {
        const int dr = r - static_cast<int>((palette[i] >> 16) & 0xFF);
        const int dg = g - static_cast<int>((palette[i] >> 8) & 0xFF);
        const int db = b - static_cast<int>(palette[i] & 0xFF);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) best = i, bestDistance = distance;
    }
    return static_cast<uint8_t>(best);
}

Palette Scattered(uint32_t seed) {
    Palette palette{};
    for (uint32_t &entry : palette) {
        seed = seed * 1664525u + 1013904223u;
        entry = seed >> 8;
    }
    return palette;
}

Palette Filled(uint32_t rgb) {
    Palette palette{};
    palette.fill(rgb);
    return palette;
}

// Greys, each twice: equal entries tie, and the lower index must win.
Palette DoubledGreys() {
    Palette palette{};
    for (int i = 0; i < 256; ++i) palette[i] = 0x010101u * static_cast<uint32_t>(i / 2);
    return palette;
}

// Everything crowded into one corner but one entry in the opposite one:
// most cells have a single far entry, a few have dozens near.
Palette CornerCluster() {
    Palette palette{};
    for (int i = 0; i < 255; ++i) palette[i] = static_cast<uint32_t>((i % 7) << 16 | (i % 5) << 8 | (i % 3));
    palette[255] = 0xFFFFFF;
    return palette;
}

// Entries halfway between cell centres: many cells see two or more entries
// at the same distance.
Palette HalfwayLevels() {
    Palette palette{};
    for (int i = 0; i < 256; ++i) {
        const uint32_t r = (i & 7) * 32, g = ((i >> 3) & 7) * 32, b = ((i >> 6) & 3) * 64;
        palette[i] = r << 16 | g << 8 | b;
    }
    return palette;
}

// Entry 1 sits at the middle of the first 4x4x4 cells' centres (4 to 28),
// entry 0 outside them, as far from their corner (28, 28, 28) as entry 1:
// that corner ties, and entry 0 must win it.
Palette TieAtCorner() {
    Palette palette = Filled(0xFFFFFF);
    palette[0] = 0x282828;  // 40
    palette[1] = 0x101010;  // 16
    return palette;
}

struct Case {
    std::string name;
    Palette palette;
};

TEST(PaletteMapTest, EveryCellTakesTheEntryNearestItsCentreAndEveryEntryFindsItself) {
    const Case cases[] = {
        {"fixed", FixedPalette()},         {"scattered 1", Scattered(1)},   {"scattered 2", Scattered(77)},
        {"black", Filled(0x000000)},       {"white", Filled(0xFFFFFF)},     {"doubled greys", DoubledGreys()},
        {"corner cluster", CornerCluster()}, {"halfway levels", HalfwayLevels()}, {"tie at corner", TieAtCorner()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const PaletteMap map(c.palette);
        int wrong = 0;
        for (int cell = 0; cell < 32 * 32 * 32; ++cell) {
            const int r = (cell >> 10) * 8 + 4, g = ((cell >> 5) & 31) * 8 + 4, b = (cell & 31) * 8 + 4;
            const uint8_t expected = Nearest(c.palette, r, g, b);
            if (map.IndexOf555(static_cast<uint16_t>(cell)) != expected) ++wrong;
            // A colour off the palette answers for its whole cell.
            const uint32_t centre = static_cast<uint32_t>(r << 16 | g << 8 | b);
            bool inPalette = false;
            for (const uint32_t entry : c.palette) inPalette = inPalette || (entry & 0xFFFFFF) == centre;
            if (!inPalette && map.IndexOf(static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                                          static_cast<uint8_t>(b)) != expected)
                ++wrong;
        }
        EXPECT_EQ(wrong, 0);
        for (int i = 0; i < 256; ++i) {
            const uint32_t rgb = c.palette[i];
            const uint8_t found = map.IndexOf(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
            EXPECT_EQ(c.palette[found], rgb) << "entry " << i;
            EXPECT_LE(found, i) << "entry " << i;
        }
    }
}

// Streams on several threads ask for the maps of a few palettes again and
// again: each palette's map is made once while it stays among the last
// four, and a palette pushed out is made anew.
TEST(PaletteMapTest, TheLastPalettesAskedForShareTheirMaps) {
    const Palette a = Scattered(11), b = Scattered(12);
    const std::shared_ptr<const PaletteMap> first = SharedPaletteMap(a);
    std::vector<std::shared_ptr<const PaletteMap>> seen(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < seen.size(); ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 20; ++i) SharedPaletteMap(b);
            seen[t] = SharedPaletteMap(a);
        });
    for (std::thread &thread : threads) thread.join();
    for (const auto &map : seen) EXPECT_EQ(map, first);
    EXPECT_EQ(first->IndexOf555(0), Nearest(a, 4, 4, 4));
    EXPECT_NE(SharedPaletteMap(b), first);

    for (uint32_t seed = 20; seed < 24; ++seed) SharedPaletteMap(Scattered(seed));
    const std::shared_ptr<const PaletteMap> again = SharedPaletteMap(a);
    EXPECT_NE(again, first);
    EXPECT_EQ(again->IndexOf555(0), first->IndexOf555(0));
}

}  // namespace
}  // namespace standin::mmstream
