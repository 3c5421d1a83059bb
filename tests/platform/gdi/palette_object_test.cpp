#include <gtest/gtest.h>
#include <windows.h>

#include <iterator>
#include <vector>

#include "palette_builder.h"

namespace {

TEST(GdiPaletteObjects, CreatePaletteRefusesBadDescriptions) {
    SetLastError(0);
    EXPECT_EQ(CreatePalette(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});

    LogPaletteBuffer oldVersion(4, 0x200);
    EXPECT_EQ(CreatePalette(oldVersion.get()), nullptr);

    LogPaletteBuffer empty(1);
    empty.get()->palNumEntries = 0;
    EXPECT_EQ(CreatePalette(empty.get()), nullptr);

    LogPaletteBuffer tooMany(257);
    EXPECT_EQ(CreatePalette(tooMany.get()), nullptr);
}

TEST(GdiPaletteObjects, CreatePaletteKeepsEntriesAndFlags) {
    LogPaletteBuffer log(256);
    for (int i = 0; i < 256; ++i) log[i] = PALETTEENTRY{BYTE(i), BYTE(i / 2), BYTE(255 - i), PC_NOCOLLAPSE};
    HPALETTE palette = CreatePalette(log.get());
    ASSERT_NE(palette, nullptr);

    EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 256u);
    PALETTEENTRY entries[256] = {};
    ASSERT_EQ(GetPaletteEntries(palette, 0, 256, entries), 256u);
    for (int i = 0; i < 256; ++i) {
        EXPECT_TRUE(SameRgb(entries[i], log[i])) << i;
        EXPECT_EQ(entries[i].peFlags, PC_NOCOLLAPSE) << i;
    }
    EXPECT_TRUE(DeleteObject(palette));
}

// Palettes made after others were deleted reuse their storage: sizes and
// entries are each palette's own, whatever size came before.
TEST(GdiPaletteObjects, PalettesMadeAfterDeletionsHoldOnlyTheirOwnEntries) {
    const int sizes[] = {256, 3, 200, 1, 256, 17, 17, 64};
    for (int round = 0; round < 3; ++round) {
        std::vector<HPALETTE> made;
        for (size_t p = 0; p < std::size(sizes); ++p) {
            made.push_back(MakeDistinctPalette(sizes[p], 0, static_cast<int>(p + round)));
            ASSERT_NE(made.back(), nullptr);
        }
        for (size_t p = 0; p < made.size(); ++p) {
            PALETTEENTRY entries[256] = {};
            ASSERT_EQ(GetPaletteEntries(made[p], 0, 0, nullptr), static_cast<UINT>(sizes[p])) << p;
            ASSERT_EQ(GetPaletteEntries(made[p], 0, 256, entries), static_cast<UINT>(sizes[p])) << p;
            for (int i = 0; i < sizes[p]; ++i)
                EXPECT_TRUE(SameRgb(entries[i], DistinctColour(i, 0, static_cast<int>(p + round)))) << p << ' ' << i;
            EXPECT_TRUE(DeleteObject(made[p]));
        }
    }
    // Thousands of palettes made and deleted around live ones: freed slots
    // come back in turn, never a live palette's.
    HPALETTE kept[3] = {MakeDistinctPalette(3, 0, 1), MakeDistinctPalette(40, 0, 2), MakeDistinctPalette(256, 0, 3)};
    for (int i = 0; i < 2500; ++i) {
        HPALETTE passing = MakeDistinctPalette(1 + i % 256, 0, 4);
        ASSERT_NE(passing, nullptr);
        for (HPALETTE live : kept) ASSERT_NE(passing, live);
        ASSERT_TRUE(DeleteObject(passing));
        if (i % 500 == 0) {  // a live palette also comes and goes
            ASSERT_TRUE(DeleteObject(kept[0]));
            kept[0] = MakeDistinctPalette(3, 0, 1);
        }
    }
    const int keptSizes[3] = {3, 40, 256};
    for (int k = 0; k < 3; ++k) {
        PALETTEENTRY entries[256] = {};
        ASSERT_EQ(GetPaletteEntries(kept[k], 0, 256, entries), static_cast<UINT>(keptSizes[k])) << k;
        for (int i = 0; i < keptSizes[k]; ++i) EXPECT_TRUE(SameRgb(entries[i], DistinctColour(i, 0, k + 1))) << k << ' ' << i;
        EXPECT_TRUE(DeleteObject(kept[k]));
    }
}

TEST(GdiPaletteObjects, EntryRangesAreClippedToThePalette) {
    HPALETTE palette = MakeDistinctPalette(8, 0);
    ASSERT_NE(palette, nullptr);
    PALETTEENTRY entries[8] = {};
    EXPECT_EQ(GetPaletteEntries(palette, 6, 5, entries), 2u);
    EXPECT_TRUE(SameRgb(entries[0], DistinctColour(6, 0)));
    EXPECT_EQ(GetPaletteEntries(palette, 8, 1, entries), 0u);

    const PALETTEENTRY replacement[3] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
    EXPECT_EQ(SetPaletteEntries(palette, 6, 3, replacement), 2u);
    ASSERT_EQ(GetPaletteEntries(palette, 5, 3, entries), 3u);
    EXPECT_TRUE(SameRgb(entries[0], DistinctColour(5, 0)));
    EXPECT_TRUE(SameRgb(entries[1], replacement[0]));
    EXPECT_TRUE(SameRgb(entries[2], replacement[1]));
    DeleteObject(palette);
}

TEST(GdiPaletteObjects, StockPaletteHoldsTheStaticColoursAndSurvivesDeletion) {
    HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    ASSERT_NE(stock, nullptr);
    PALETTEENTRY entries[20] = {};
    ASSERT_EQ(GetPaletteEntries(stock, 0, 0, nullptr), 20u);
    ASSERT_EQ(GetPaletteEntries(stock, 0, 20, entries), 20u);
    EXPECT_TRUE(SameRgb(entries[0], PALETTEENTRY{0, 0, 0, 0}));
    EXPECT_TRUE(SameRgb(entries[9], PALETTEENTRY{166, 202, 240, 0}));
    EXPECT_TRUE(SameRgb(entries[10], PALETTEENTRY{255, 251, 240, 0}));
    EXPECT_TRUE(SameRgb(entries[19], PALETTEENTRY{255, 255, 255, 0}));

    EXPECT_TRUE(DeleteObject(stock));
    EXPECT_EQ(GetPaletteEntries(stock, 0, 0, nullptr), 20u);
    const PALETTEENTRY red = {255, 0, 0, 0};
    EXPECT_EQ(SetPaletteEntries(stock, 0, 1, &red), 0u);
    EXPECT_EQ(GetStockObject(DEFAULT_PALETTE), stock);
}

TEST(GdiPaletteObjects, DeletedAndForeignHandlesAreRejected) {
    HPALETTE palette = MakeDistinctPalette(4, 0);
    ASSERT_TRUE(DeleteObject(palette));

    SetLastError(0);
    EXPECT_FALSE(DeleteObject(palette));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 0u);

    int notAHandle = 0;
    EXPECT_FALSE(DeleteObject(&notAHandle));
    EXPECT_FALSE(DeleteObject(nullptr));
    HDC dc = GetDC(nullptr);
    EXPECT_FALSE(DeleteObject(dc));  // a DC is not a GDI object of DeleteObject
    EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
    EXPECT_FALSE(DeleteObject(GetDesktopWindow()));
}

TEST(GdiPaletteObjects, NewPaletteNeverRevivesADeletedHandle) {
    HPALETTE first = MakeDistinctPalette(4, 0);
    ASSERT_TRUE(DeleteObject(first));
    for (int i = 0; i < 3000; ++i) {
        HPALETTE next = MakeDistinctPalette(4, 0);
        ASSERT_NE(next, first);
        ASSERT_TRUE(DeleteObject(next));
    }
    EXPECT_EQ(GetNearestPaletteIndex(first, RGB(0, 0, 0)), CLR_INVALID);
}

}  // namespace
