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
