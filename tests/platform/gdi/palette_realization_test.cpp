// Runs on a 640x480 8-bit screen; each case starts with a fresh system
// palette because each runs in a process of its own.
#include <gtest/gtest.h>

#include <vector>
#include <windows.h>

#include "palette_builder.h"

namespace {

class GdiPaletteRealization : public ::testing::Test {
protected:
    void TearDown() override {
        for (HDC dc : dcs_) ReleaseDC(nullptr, dc);
        for (HPALETTE p : palettes_) DeleteObject(p);
    }

    // Selects `palette` into a fresh screen DC and realises it there.
    UINT Realize(HPALETTE palette, BOOL background) {
        HDC dc = GetDC(nullptr);
        dcs_.push_back(dc);
        SelectPalette(dc, palette, background);
        return RealizePalette(dc);
    }

    HPALETTE Keep(HPALETTE palette) {
        palettes_.push_back(palette);
        return palette;
    }

    static std::vector<PALETTEENTRY> System() {
        std::vector<PALETTEENTRY> entries(256);
        HDC dc = GetDC(nullptr);
        GetSystemPaletteEntries(dc, 0, 256, entries.data());
        ReleaseDC(nullptr, dc);
        return entries;
    }

    std::vector<HDC> dcs_;
    std::vector<HPALETTE> palettes_;
};

TEST_F(GdiPaletteRealization, ForegroundPaletteTakesFreeEntries) {
    HPALETTE palette = Keep(MakeDistinctPalette(10, PC_NOCOLLAPSE));
    EXPECT_EQ(Realize(palette, FALSE), 10u);
    const auto system = System();
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(SameRgb(system[10 + i], DistinctColour(i, 0))) << i;
    EXPECT_TRUE(SameRgb(system[20], PALETTEENTRY{0, 0, 0, 0}));
    EXPECT_TRUE(SameRgb(system[9], PALETTEENTRY{166, 202, 240, 0}));  // statics stay
}

TEST_F(GdiPaletteRealization, BackgroundPaletteFillsOnlyUnheldEntries) {
    HPALETTE foreground = Keep(MakeDistinctPalette(200, PC_NOCOLLAPSE));
    HPALETTE background = Keep(MakeDistinctPalette(50, PC_NOCOLLAPSE, 1));
    ASSERT_EQ(Realize(foreground, FALSE), 200u);
    EXPECT_EQ(Realize(background, TRUE), 36u);  // entries 210..245 were all that was free

    const auto system = System();
    for (int i = 0; i < 200; ++i) EXPECT_TRUE(SameRgb(system[10 + i], DistinctColour(i, 0))) << i;
    for (int i = 0; i < 36; ++i) EXPECT_TRUE(SameRgb(system[210 + i], DistinctColour(i, 0, 1))) << i;
    EXPECT_TRUE(SameRgb(system[246], PALETTEENTRY{255, 251, 240, 0}));
}

TEST_F(GdiPaletteRealization, RealizingAgainChangesNothing) {
    HPALETTE palette = Keep(MakeDistinctPalette(40, PC_NOCOLLAPSE));
    ASSERT_EQ(Realize(palette, TRUE), 40u);
    EXPECT_EQ(Realize(palette, TRUE), 0u);
    EXPECT_EQ(Realize(palette, FALSE), 0u);
}

TEST_F(GdiPaletteRealization, CollapsibleColoursShareIdenticalEntries) {
    LogPaletteBuffer log(4);
    log[0] = {255, 0, 0, 0};              // the static red: shared
    log[1] = {1, 2, 3, 0};                // new: takes entry 10
    log[2] = {1, 2, 3, 0};                // same again: shares entry 10
    log[3] = {0, 255, 0, PC_NOCOLLAPSE};  // static green, but wants its own entry
    HPALETTE palette = Keep(CreatePalette(log.get()));
    EXPECT_EQ(Realize(palette, FALSE), 2u);
    const auto system = System();
    EXPECT_TRUE(SameRgb(system[10], log[1]));
    EXPECT_TRUE(SameRgb(system[11], log[3]));
    EXPECT_TRUE(SameRgb(system[12], PALETTEENTRY{0, 0, 0, 0}));
}

TEST_F(GdiPaletteRealization, ExplicitEntriesNameSystemIndicesAndChangeNothing) {
    LogPaletteBuffer log(2);
    log[0] = {12, 0, 0, PC_EXPLICIT};
    log[1] = {249, 0, 0, PC_EXPLICIT};
    HPALETTE palette = Keep(CreatePalette(log.get()));
    const auto before = System();
    EXPECT_EQ(Realize(palette, FALSE), 0u);
    const auto after = System();
    for (int i = 0; i < 256; ++i) EXPECT_TRUE(SameRgb(before[i], after[i])) << i;
}

TEST_F(GdiPaletteRealization, NewForegroundPaletteReplacesThePreviousOne) {
    HPALETTE first = Keep(MakeDistinctPalette(236, PC_NOCOLLAPSE));
    HPALETTE second = Keep(MakeDistinctPalette(5, PC_NOCOLLAPSE, 1));
    ASSERT_EQ(Realize(first, FALSE), 236u);
    EXPECT_EQ(Realize(second, FALSE), 5u);
    const auto system = System();
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(SameRgb(system[10 + i], DistinctColour(i, 0, 1))) << i;
    EXPECT_TRUE(SameRgb(system[15], DistinctColour(5, 0)));  // released, colour kept

    // What the first palette held beyond those five is free again.
    HPALETTE background = Keep(MakeDistinctPalette(231, PC_NOCOLLAPSE, 2));
    EXPECT_EQ(Realize(background, TRUE), 231u);
}

TEST_F(GdiPaletteRealization, ForegroundPaletteTakesEntriesFromBackgroundOnes) {
    HPALETTE background = Keep(MakeDistinctPalette(236, PC_NOCOLLAPSE));
    HPALETTE foreground = Keep(MakeDistinctPalette(5, PC_NOCOLLAPSE, 1));
    ASSERT_EQ(Realize(background, TRUE), 236u);
    EXPECT_EQ(Realize(foreground, FALSE), 5u);
    EXPECT_TRUE(SameRgb(System()[14], DistinctColour(4, 0, 1)));
}

TEST_F(GdiPaletteRealization, FullSystemPaletteLeavesABackgroundPaletteOut) {
    HPALETTE foreground = Keep(MakeDistinctPalette(236, PC_NOCOLLAPSE));
    HPALETTE background = Keep(MakeDistinctPalette(5, PC_NOCOLLAPSE, 1));
    ASSERT_EQ(Realize(foreground, FALSE), 236u);
    EXPECT_EQ(Realize(background, TRUE), 0u);
}

TEST_F(GdiPaletteRealization, DeletingAPaletteReleasesItsEntries) {
    HPALETTE foreground = MakeDistinctPalette(236, PC_NOCOLLAPSE);
    HPALETTE background = Keep(MakeDistinctPalette(5, PC_NOCOLLAPSE, 1));
    ASSERT_EQ(Realize(foreground, FALSE), 236u);
    ASSERT_TRUE(DeleteObject(foreground));
    EXPECT_EQ(Realize(background, TRUE), 5u);
    EXPECT_TRUE(SameRgb(System()[10], DistinctColour(0, 0, 1)));
}

// What a movie player does: a 256-colour background palette, then every
// colour looked up in a palette made from the system palette.
TEST_F(GdiPaletteRealization, BackgroundMoviePaletteTranslatesThroughTheSystemPalette) {
    HPALETTE movie = Keep(MakeDistinctPalette(256, PC_RESERVED | PC_NOCOLLAPSE));
    ASSERT_EQ(Realize(movie, TRUE), 236u);

    LogPaletteBuffer system(256);
    HDC dc = GetDC(nullptr);
    ASSERT_EQ(GetSystemPaletteEntries(dc, 0, 256, system.get()->palPalEntry), 256u);
    ReleaseDC(nullptr, dc);
    HPALETTE lookup = Keep(CreatePalette(system.get()));
    for (int i = 0; i < 236; ++i) {
        const PALETTEENTRY c = DistinctColour(i, 0);
        EXPECT_EQ(GetNearestPaletteIndex(lookup, RGB(c.peRed, c.peGreen, c.peBlue)), UINT(10 + i)) << i;
    }
}

TEST_F(GdiPaletteRealization, ReservedEntriesNeitherShareNorAreShared) {
    LogPaletteBuffer reserved(2);
    reserved[0] = {1, 2, 3, PC_RESERVED};
    reserved[1] = {255, 0, 0, PC_RESERVED};  // the static red, yet an entry of its own
    LogPaletteBuffer plain(1);
    plain[0] = {1, 2, 3, 0};
    HPALETTE first = Keep(CreatePalette(reserved.get()));
    HPALETTE second = Keep(CreatePalette(plain.get()));
    ASSERT_EQ(Realize(first, TRUE), 2u);
    EXPECT_EQ(Realize(second, TRUE), 1u);  // its own entry, not a share of entry 10
    EXPECT_TRUE(SameRgb(System()[12], plain[0]));
}

}  // namespace
