// The screen as a PNG image, on a 33x21x16 screen (odd width: padded rows).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <standin/standin.h>

#include "png_reader.h"
#include "screen/screen.h"

using screentest::OutputPath;
using screentest::ReadPng;
using screentest::RgbPicture;
using standin::Screen;

namespace {

void PutScreenPixel(DWORD x, DWORD y, WORD value) {
    Screen &screen = Screen::Instance();
    std::lock_guard<std::mutex> hold(screen.mutex());
    std::memcpy(screen.pixels() + y * screen.pitch() + x * 2, &value, 2);
}

}  // namespace

TEST(ScreenMemory, StartsBlackWithPaddedRows) {
    Screen &screen = Screen::Instance();
    EXPECT_EQ(screen.mode().width, 33u);
    EXPECT_EQ(screen.mode().height, 21u);
    EXPECT_EQ(screen.mode().bitsPerPixel, 16u);
    EXPECT_EQ(screen.pitch(), 72);
    for (LONG i = 0; i < screen.pitch() * 21; ++i) ASSERT_EQ(screen.pixels()[i], 0) << i;
    EXPECT_EQ(&Screen::Instance(), Screen::Shared().get());
}

TEST(ScreenPng, SavesEveryPixelAsRgb) {
    PutScreenPixel(0, 0, 0xF800);
    PutScreenPixel(32, 0, 0x07E0);
    PutScreenPixel(0, 20, 0x001F);
    PutScreenPixel(32, 20, 0xFFFF);
    const std::string path = OutputPath("screen16.png");
    ASSERT_EQ(StandinSaveScreenPng(path.c_str()), S_OK);

    RgbPicture picture;
    ASSERT_TRUE(ReadPng(path, &picture));
    std::remove(path.c_str());
    ASSERT_EQ(picture.width, 33u);
    ASSERT_EQ(picture.height, 21u);
    const unsigned char red[] = {255, 0, 0}, green[] = {0, 255, 0}, blue[] = {0, 0, 255}, white[] = {255, 255, 255},
                        black[] = {0, 0, 0};
    EXPECT_EQ(std::memcmp(picture.At(0, 0), red, 3), 0);
    EXPECT_EQ(std::memcmp(picture.At(32, 0), green, 3), 0);
    EXPECT_EQ(std::memcmp(picture.At(0, 20), blue, 3), 0);
    EXPECT_EQ(std::memcmp(picture.At(32, 20), white, 3), 0);
    EXPECT_EQ(std::memcmp(picture.At(16, 10), black, 3), 0);
}

TEST(ScreenPng, FailsCleanlyWhenTheFileCannotBeWritten) {
    const std::string missingFolder = OutputPath("no-such-folder/screen.png");
    EXPECT_TRUE(FAILED(StandinSaveScreenPng(missingFolder.c_str())));
    EXPECT_EQ(std::fopen(missingFolder.c_str(), "rb"), nullptr);

    // A folder cannot be opened as a file, whoever runs the test.
    EXPECT_EQ(StandinSaveScreenPng(::testing::TempDir().c_str()), E_ACCESSDENIED);
    EXPECT_EQ(StandinSaveScreenPng(""), E_INVALIDARG);
    EXPECT_EQ(StandinSaveScreenPng(nullptr), E_INVALIDARG);
}

TEST(ScreenPng, FailsCleanlyWhenTheDeviceIsFull) {
    // /dev/full accepts the open and refuses every write.
    std::FILE *probe = std::fopen("/dev/full", "wb");
    if (!probe) GTEST_SKIP() << "no /dev/full";
    std::fclose(probe);
    EXPECT_EQ(StandinSaveScreenPng("/dev/full"), E_FAIL);
}

TEST(ScreenMirror, ReportsFalseQuietlyWithoutADisplay) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(StandinMirrorScreen());
    EXPECT_FALSE(StandinMirrorScreen());
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(ScreenMirror, ReportsFalseWhenTheChosenDriverFindsNoDisplay) {
    unsetenv("DISPLAY");
    setenv("SDL_VIDEODRIVER", "x11", 1);
    EXPECT_FALSE(StandinMirrorScreen());
}
