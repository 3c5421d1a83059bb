// Runs on a 640x480 8-bit screen.
#include <gtest/gtest.h>
#include <windows.h>

#include "gdi/system_palette.h"
#include "palette_builder.h"

namespace {

struct StaticColour {
    int index;
    PALETTEENTRY colour;
};

const StaticColour kPublishedStaticColours[] = {
    {0, {0, 0, 0, 0}},         {1, {128, 0, 0, 0}},       {2, {0, 128, 0, 0}},       {3, {128, 128, 0, 0}},
    {4, {0, 0, 128, 0}},       {5, {128, 0, 128, 0}},     {6, {0, 128, 128, 0}},     {7, {192, 192, 192, 0}},
    {8, {192, 220, 192, 0}},   {9, {166, 202, 240, 0}},   {246, {255, 251, 240, 0}}, {247, {160, 160, 164, 0}},
    {248, {128, 128, 128, 0}}, {249, {255, 0, 0, 0}},     {250, {0, 255, 0, 0}},     {251, {255, 255, 0, 0}},
    {252, {0, 0, 255, 0}},     {253, {255, 0, 255, 0}},   {254, {0, 255, 255, 0}},   {255, {255, 255, 255, 0}},
};

class GdiSystemPalette8Bit : public ::testing::Test {
protected:
    void SetUp() override { dc_ = GetDC(nullptr); }
    void TearDown() override { ReleaseDC(nullptr, dc_); }
    HDC dc_ = nullptr;
};

TEST_F(GdiSystemPalette8Bit, StartsWithTheStaticColoursAndBlackFreeEntries) {
    PALETTEENTRY entries[256];
    ASSERT_EQ(GetSystemPaletteEntries(dc_, 0, 256, entries), 256u);
    for (const StaticColour &s : kPublishedStaticColours)
        EXPECT_TRUE(SameRgb(entries[s.index], s.colour)) << "entry " << s.index;
    for (int i = 10; i < 246; ++i) EXPECT_TRUE(SameRgb(entries[i], PALETTEENTRY{0, 0, 0, 0})) << i;
}

TEST_F(GdiSystemPalette8Bit, RangesAreClippedAndNullBufferGivesTheSize) {
    EXPECT_EQ(GetSystemPaletteEntries(dc_, 0, 0, nullptr), 256u);
    PALETTEENTRY entries[4] = {};
    ASSERT_EQ(GetSystemPaletteEntries(dc_, 253, 4, entries), 3u);
    EXPECT_TRUE(SameRgb(entries[0], PALETTEENTRY{255, 0, 255, 0}));
    EXPECT_TRUE(SameRgb(entries[2], PALETTEENTRY{255, 255, 255, 0}));
    EXPECT_EQ(GetSystemPaletteEntries(dc_, 256, 1, entries), 0u);
}

TEST_F(GdiSystemPalette8Bit, SnapshotMatchesWhatTheDcReports) {
    HPALETTE palette = MakeDistinctPalette(30, PC_NOCOLLAPSE);
    SelectPalette(dc_, palette, FALSE);
    ASSERT_EQ(RealizePalette(dc_), 30u);
    PALETTEENTRY fromDc[256], snapshot[256];
    ASSERT_EQ(GetSystemPaletteEntries(dc_, 0, 256, fromDc), 256u);
    standin::SnapshotSystemPalette(snapshot);
    for (int i = 0; i < 256; ++i) EXPECT_TRUE(SameRgb(fromDc[i], snapshot[i])) << i;
    EXPECT_TRUE(SameRgb(snapshot[10], DistinctColour(0, 0)));
    DeleteObject(palette);
}

TEST_F(GdiSystemPalette8Bit, DeviceCapsDescribeAPalettizedScreen) {
    EXPECT_EQ(GetDeviceCaps(dc_, HORZRES), 640);
    EXPECT_EQ(GetDeviceCaps(dc_, VERTRES), 480);
    EXPECT_EQ(GetDeviceCaps(dc_, BITSPIXEL), 8);
    EXPECT_EQ(GetDeviceCaps(dc_, PLANES), 1);
    EXPECT_TRUE(GetDeviceCaps(dc_, RASTERCAPS) & RC_PALETTE);
    EXPECT_EQ(GetDeviceCaps(dc_, SIZEPALETTE), 256);
    EXPECT_EQ(GetDeviceCaps(dc_, NUMRESERVED), 20);
}

}  // namespace
