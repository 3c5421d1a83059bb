// Parsing VIDSURF_DISPLAY.
#include <gtest/gtest.h>

#include "screen/screen_mode.h"

using standin::ParseScreenMode;
using standin::ScreenMode;

TEST(ScreenModeParse, AcceptsEachDepth) {
    for (DWORD bits : {8u, 16u, 24u, 32u}) {
        ScreenMode mode;
        const std::string text = "640x480x" + std::to_string(bits);
        ASSERT_TRUE(ParseScreenMode(text.c_str(), &mode)) << text;
        EXPECT_EQ(mode.width, 640u);
        EXPECT_EQ(mode.height, 480u);
        EXPECT_EQ(mode.bitsPerPixel, bits);
        EXPECT_EQ(mode.palettized(), bits == 8);
    }
}

TEST(ScreenModeParse, RefusesAnythingElseAndKeepsTheMode) {
    for (const char *text : {"", "640x480", "640x480x15", "0x480x8", "640x0x8", "640x480x8 ", "640x480x8x",
                             "20000x480x8", "axbxc", "-640x480x8"}) {
        ScreenMode mode;
        EXPECT_FALSE(ParseScreenMode(text, &mode)) << '"' << text << '"';
        EXPECT_EQ(mode.width, 1024u);
        EXPECT_EQ(mode.bitsPerPixel, 32u);
    }
    ScreenMode mode;
    EXPECT_FALSE(ParseScreenMode(nullptr, &mode));
}
