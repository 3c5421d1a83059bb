#include <gtest/gtest.h>
#include <windows.h>

#include "palette_builder.h"

namespace {

class GdiNearestPaletteIndex : public ::testing::Test {
protected:
    void SetUp() override {
        LogPaletteBuffer log(5);
        log[0] = {0, 0, 0, 0};
        log[1] = {100, 100, 100, PC_NOCOLLAPSE};
        log[2] = {200, 0, 0, 0};
        log[3] = {100, 100, 100, 0};  // duplicate of entry 1
        log[4] = {0, 0, 200, 0};
        palette_ = CreatePalette(log.get());
        ASSERT_NE(palette_, nullptr);
    }
    void TearDown() override { DeleteObject(palette_); }

    HPALETTE palette_ = nullptr;
};

TEST_F(GdiNearestPaletteIndex, ExactColourFindsItsEntry) {
    EXPECT_EQ(GetNearestPaletteIndex(palette_, RGB(200, 0, 0)), 2u);
    EXPECT_EQ(GetNearestPaletteIndex(palette_, RGB(0, 0, 200)), 4u);
}

TEST_F(GdiNearestPaletteIndex, OtherColourFindsSmallestSquaredDistance) {
    EXPECT_EQ(GetNearestPaletteIndex(palette_, RGB(150, 20, 10)), 2u);
    EXPECT_EQ(GetNearestPaletteIndex(palette_, RGB(20, 20, 20)), 0u);

    // 100 off in one channel against 50 off in all three: the squared
    // distance prefers the second (10000 > 7500), a plain sum the first.
    LogPaletteBuffer log(2);
    log[0] = {250, 150, 150, 0};
    log[1] = {100, 100, 100, 0};
    HPALETTE pair = CreatePalette(log.get());
    EXPECT_EQ(GetNearestPaletteIndex(pair, RGB(150, 150, 150)), 1u);
    DeleteObject(pair);
}

TEST_F(GdiNearestPaletteIndex, TieGoesToLowestIndex) {
    EXPECT_EQ(GetNearestPaletteIndex(palette_, RGB(100, 100, 100)), 1u);
    EXPECT_EQ(GetNearestPaletteIndex(palette_, RGB(100, 0, 0)), 0u);  // 10000 from black and from red
}

TEST_F(GdiNearestPaletteIndex, TopByteOfTheColourIsIgnored) {
    EXPECT_EQ(GetNearestPaletteIndex(palette_, PALETTERGB(0, 0, 200)), 4u);
    EXPECT_EQ(GetNearestPaletteIndex(palette_, 0xFF0000C8u), 2u);
}

// Answers are remembered per palette contents: asking again, asking a new
// palette of the same colours and asking after SetPaletteEntries must all
// agree with the search itself.
TEST_F(GdiNearestPaletteIndex, RememberedAnswersFollowThePaletteContents) {
    const COLORREF asked[] = {RGB(150, 20, 10), RGB(20, 20, 200), RGB(100, 100, 100), RGB(100, 0, 0)};
    const UINT expected[] = {2, 4, 1, 0};
    LogPaletteBuffer same(5);
    GetPaletteEntries(palette_, 0, 5, same.get()->palPalEntry);
    HPALETTE twin = CreatePalette(same.get());
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(GetNearestPaletteIndex(palette_, asked[i]), expected[i]) << i;
            EXPECT_EQ(GetNearestPaletteIndex(twin, asked[i]), expected[i]) << i;
        }
    }
    // Black becomes pure red in the twin only: its answers change, the
    // original's do not.
    const PALETTEENTRY red{255, 0, 0, 0};
    ASSERT_EQ(SetPaletteEntries(twin, 0, 1, &red), 1u);
    EXPECT_EQ(GetNearestPaletteIndex(twin, RGB(20, 20, 20)), 1u);
    EXPECT_EQ(GetNearestPaletteIndex(twin, RGB(150, 20, 10)), 2u);
    EXPECT_EQ(GetNearestPaletteIndex(twin, RGB(250, 0, 0)), 0u);
    EXPECT_EQ(GetNearestPaletteIndex(palette_, RGB(20, 20, 20)), 0u);
    DeleteObject(twin);

    // Many colours against a full palette agree with a plain search.
    LogPaletteBuffer full(256);
    for (int i = 0; i < 256; ++i) full[i] = {static_cast<BYTE>(i * 37), static_cast<BYTE>(i * 11), static_cast<BYTE>(i), 0};
    HPALETTE big = CreatePalette(full.get());
    for (int pass = 0; pass < 2; ++pass) {
        for (unsigned c = 0; c < 4096; ++c) {
            const BYTE r = static_cast<BYTE>(c * 53), g = static_cast<BYTE>(c * 29), b = static_cast<BYTE>(c >> 4);
            UINT best = 0;
            long bestDistance = -1;
            for (UINT i = 0; i < 256; ++i) {
                const long dr = long{full[i].peRed} - r, dg = long{full[i].peGreen} - g, db = long{full[i].peBlue} - b;
                const long d = dr * dr + dg * dg + db * db;
                if (bestDistance < 0 || d < bestDistance) best = i, bestDistance = d;
            }
            ASSERT_EQ(GetNearestPaletteIndex(big, RGB(r, g, b)), best) << c;
        }
    }
    DeleteObject(big);
}

TEST_F(GdiNearestPaletteIndex, BadHandlesGiveClrInvalid) {
    EXPECT_EQ(GetNearestPaletteIndex(nullptr, RGB(1, 2, 3)), CLR_INVALID);
    EXPECT_EQ(GetNearestPaletteIndex(reinterpret_cast<HPALETTE>(this), RGB(1, 2, 3)), CLR_INVALID);
    EXPECT_EQ(GetNearestPaletteIndex(reinterpret_cast<HPALETTE>(GetDesktopWindow()), 0), CLR_INVALID);
    ASSERT_TRUE(DeleteObject(palette_));
    SetLastError(0);
    EXPECT_EQ(GetNearestPaletteIndex(palette_, RGB(200, 0, 0)), CLR_INVALID);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    palette_ = nullptr;
}

}  // namespace
