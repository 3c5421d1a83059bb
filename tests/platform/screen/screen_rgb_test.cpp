// Screen pixels of each depth as RGB.
#include <gtest/gtest.h>

#include "screen/screen_rgb.h"

using standin::ConvertRowToRgb;

TEST(ScreenRgbConversion, Expands565ToFullScale) {
    const BYTE pixels[] = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF, 0xFF, 0x10, 0x84};
    BYTE rgb[15] = {};
    ConvertRowToRgb(pixels, 5, 16, nullptr, rgb);
    const BYTE expected[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 132, 130, 132};
    for (int i = 0; i < 15; ++i) EXPECT_EQ(rgb[i], expected[i]) << i;
}

TEST(ScreenRgbConversion, ReadsBlueGreenRedBytes) {
    const BYTE pixels24[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    const BYTE pixels32[] = {0x01, 0x02, 0x03, 0xFF, 0x04, 0x05, 0x06, 0xFF};
    BYTE from24[6] = {};
    BYTE from32[6] = {};
    ConvertRowToRgb(pixels24, 2, 24, nullptr, from24);
    ConvertRowToRgb(pixels32, 2, 32, nullptr, from32);
    const BYTE expected[] = {0x03, 0x02, 0x01, 0x06, 0x05, 0x04};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(from24[i], expected[i]) << i;
        EXPECT_EQ(from32[i], expected[i]) << i;
    }
}

TEST(ScreenRgbConversion, LooksUpPaletteIndices) {
    PALETTEENTRY palette[256] = {};
    palette[3] = PALETTEENTRY{10, 20, 30, 0};
    palette[200] = PALETTEENTRY{40, 50, 60, 0};
    const BYTE pixels[] = {200, 3};
    BYTE rgb[6] = {};
    ConvertRowToRgb(pixels, 2, 8, palette, rgb);
    const BYTE expected[] = {40, 50, 60, 10, 20, 30};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(rgb[i], expected[i]) << i;
}
