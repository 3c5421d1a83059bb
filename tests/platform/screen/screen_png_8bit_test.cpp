// The PNG of a palettized 65x47x8 screen shows each index through the
// system palette.
#include <gtest/gtest.h>

#include <cstdio>
#include <mutex>

#include <standin/standin.h>

#include "gdi/system_palette.h"
#include "png_reader.h"
#include "screen/screen.h"

using screentest::OutputPath;
using screentest::ReadPng;
using screentest::RgbPicture;
using standin::Screen;

TEST(ScreenPng, ShowsPalettizedPixelsThroughTheSystemPalette) {
    Screen &screen = Screen::Instance();
    ASSERT_EQ(screen.mode().bitsPerPixel, 8u);
    ASSERT_EQ(screen.pitch(), 72);
    {
        std::lock_guard<std::mutex> hold(screen.mutex());
        for (DWORD y = 0; y < 47; ++y) {
            for (DWORD x = 0; x < 65; ++x) screen.pixels()[y * 72 + x] = static_cast<BYTE>(x * 4 + y);
        }
    }
    const std::string path = OutputPath("screen8.png");
    ASSERT_EQ(StandinSaveScreenPng(path.c_str()), S_OK);
    PALETTEENTRY palette[256];
    standin::SnapshotSystemPalette(palette);

    RgbPicture picture;
    ASSERT_TRUE(ReadPng(path, &picture));
    std::remove(path.c_str());
    ASSERT_EQ(picture.width, 65u);
    ASSERT_EQ(picture.height, 47u);
    for (unsigned y = 0; y < 47; ++y) {
        for (unsigned x = 0; x < 65; ++x) {
            const PALETTEENTRY &entry = palette[static_cast<BYTE>(x * 4 + y)];
            const unsigned char *rgb = picture.At(x, y);
            ASSERT_EQ(rgb[0], entry.peRed) << x << "," << y;
            ASSERT_EQ(rgb[1], entry.peGreen) << x << "," << y;
            ASSERT_EQ(rgb[2], entry.peBlue) << x << "," << y;
        }
    }
}
