// Frames on 16-bit and 24-bit screens (the executable's screen mode picks
// which): each pixel in the screen's own layout.
#include "stream_fixture.h"

#include <ddstream.h>

namespace mmtest {
namespace {

using moviegen::MovieRecipe;

using ScreenDepthTest = StreamTest;

TEST_F(ScreenDepthTest, FramesComeInTheScreenLayout) {
    MovieRecipe recipe;
    recipe.width = 67;  // odd: rows are padded
    recipe.height = 50;
    recipe.frames = 3;
    ASSERT_EQ(Open(recipe), S_OK);
    MakeSample();
    DDSURFACEDESC screen{};
    screen.dwSize = sizeof(screen);
    ASSERT_EQ(directDraw_->GetDisplayMode(&screen), DD_OK);
    const DWORD bits = screen.ddpfPixelFormat.dwRGBBitCount;
    ASSERT_TRUE(bits == 16 || bits == 24) << bits;
    EXPECT_EQ(format_.ddpfPixelFormat.dwRGBBitCount, bits);
    for (int i = 0; i < recipe.frames; ++i) {
        ASSERT_EQ(UpdateNow(), S_OK);
        const std::vector<uint8_t> expected = moviegen::FrameRgb24(recipe, i);
        DDSURFACEDESC locked{};
        locked.dwSize = sizeof(locked);
        ASSERT_EQ(surface_->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
        for (int y = 0; y < recipe.height; ++y) {
            const auto *row = static_cast<const uint8_t *>(locked.lpSurface) + static_cast<ptrdiff_t>(y) * locked.lPitch;
            for (int x = 0; x < recipe.width; ++x) {
                const uint8_t *want = &expected[(static_cast<size_t>(y) * recipe.width + x) * 3];
                if (bits == 24) {
                    const uint8_t *pixel = row + x * 3;  // B, G, R
                    ASSERT_EQ(pixel[2], want[0]);
                    ASSERT_EQ(pixel[1], want[1]);
                    ASSERT_EQ(pixel[0], want[2]);
                } else {
                    const unsigned pixel = row[x * 2] | (row[x * 2 + 1] << 8);  // 5-6-5, little-endian
                    ASSERT_NEAR(static_cast<int>(pixel >> 11), want[0] >> 3, 1) << x << "," << y;
                    ASSERT_NEAR(static_cast<int>((pixel >> 5) & 63), want[1] >> 2, 1) << x << "," << y;
                    ASSERT_NEAR(static_cast<int>(pixel & 31), want[2] >> 3, 1) << x << "," << y;
                }
            }
        }
        surface_->Unlock(locked.lpSurface);
    }
}

}  // namespace
}  // namespace mmtest
