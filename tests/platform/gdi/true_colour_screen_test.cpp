// Runs on an 800x600 32-bit screen: there is no system palette.
#include <gtest/gtest.h>
#include <windows.h>

#include "palette_builder.h"

namespace {

class GdiTrueColourScreen : public ::testing::Test {
protected:
    void SetUp() override { dc_ = GetDC(nullptr); }
    void TearDown() override { ReleaseDC(nullptr, dc_); }
    HDC dc_ = nullptr;
};

TEST_F(GdiTrueColourScreen, SystemPaletteEntriesAreNotAvailable) {
    PALETTEENTRY entries[256];
    for (auto &e : entries) e = PALETTEENTRY{7, 7, 7, 7};
    EXPECT_EQ(GetSystemPaletteEntries(dc_, 0, 256, entries), 0u);
    EXPECT_EQ(GetSystemPaletteEntries(dc_, 0, 256, nullptr), 0u);
    for (const auto &e : entries) ASSERT_TRUE(e.peRed == 7 && e.peGreen == 7 && e.peBlue == 7 && e.peFlags == 7);
}

TEST_F(GdiTrueColourScreen, RealizingChangesNothing) {
    HPALETTE palette = MakeDistinctPalette(50, PC_NOCOLLAPSE);
    SelectPalette(dc_, palette, FALSE);
    EXPECT_EQ(RealizePalette(dc_), 0u);
    SelectPalette(dc_, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    DeleteObject(palette);
}

TEST_F(GdiTrueColourScreen, DeviceCapsDescribeTheScreenWithoutPalette) {
    EXPECT_EQ(GetDeviceCaps(dc_, HORZRES), 800);
    EXPECT_EQ(GetDeviceCaps(dc_, VERTRES), 600);
    EXPECT_EQ(GetDeviceCaps(dc_, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(dc_, PLANES), 1);
    EXPECT_FALSE(GetDeviceCaps(dc_, RASTERCAPS) & RC_PALETTE);
    EXPECT_EQ(GetDeviceCaps(dc_, SIZEPALETTE), 0);
}

}  // namespace
