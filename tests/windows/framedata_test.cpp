// Frame geometry and pixel writes on the real platform: the host's bytes go
// into the frame surface and reach the screen with the next present, until
// the next decoded frame replaces them.
#if defined(VIDSURF_HAS_FRAMEDATA) && defined(VIDSURF_HAS_PRESENT) && defined(VIDSURF_HAS_TICK)

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>
#include <vidsurf.h>

#include "movie_set.h"
#include "open_record.h"
#include "screen_picture.h"
#include "tick_loops.h"

namespace {

class WindowsFrameGeometry : public OnDesktop<testing::TestWithParam<TestMovie>> {};

// The screen is 32 bits deep and Wine decodes every movie to it, the pal8
// one included; the stand-in would give that one 8 bits.
TEST_P(WindowsFrameGeometry, ReportsTheFrameSurface) {
    const TestMovie &movie = GetParam();
    StreamSample *stream = open(movie);
    ASSERT_NE(stream, nullptr);

    int width = -1, height = -1, bits = -1, pitch = -1;
    ASSERT_EQ(streamImageInfo(stream, &width, &height, &bits, &pitch), 1);
    EXPECT_EQ(width, movie.recipe.width);
    EXPECT_EQ(height, movie.recipe.height);
    EXPECT_EQ(bits, 32);
    EXPECT_GE(pitch, width * 4);

    int again[4] = {};
    ASSERT_EQ(streamImageInfo(stream, &again[0], &again[1], &again[2], &again[3]), 1);
    EXPECT_EQ(std::vector<int>(again, again + 4), (std::vector<int>{width, height, bits, pitch}));
    int rectWidth = 0, rectHeight = 0;
    streamRect(stream, &rectWidth, &rectHeight);
    EXPECT_EQ(rectWidth, width);
    EXPECT_EQ(rectHeight, height);
}

INSTANTIATE_TEST_SUITE_P(EachMovie, WindowsFrameGeometry, testing::ValuesIn(AllTestMovies()),
                         [](const testing::TestParamInfo<TestMovie> &info) { return TestMovieName(info.param); });

using WindowsPixelWrites = OnDesktop<testing::Test>;

// The block has one byte per pixel, but the surface has four: each row
// receives the block's width in bytes, which covers the first quarter of
// the row's pixels (bytes blue, green, red, unused); the rest of the row
// keeps the decoded frame.
TEST_F(WindowsPixelWrites, HostBytesReachTheScreenUntilTheNextFrame) {
    const TestMovie &movie = RawMovie();
    StreamSample *stream = open(movie);
    ASSERT_NE(stream, nullptr);
    int width = 0, height = 0, bits = 0, pitch = 0;
    ASSERT_EQ(streamImageInfo(stream, &width, &height, &bits, &pitch), 1);
    ASSERT_EQ(bits, 32);

    std::vector<unsigned char> block(size_t(width) * height);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) block[size_t(r) * width + c] = static_cast<unsigned char>(r * 31 + c * 7 + 1);
    ASSERT_EQ(streamImageData(stream, block.data()), 1);

    std::vector<uint8_t> expected = moviegen::FrameRgb24(movie.recipe, 0);
    for (int r = 0; r < height; ++r)
        for (int p = 0; p < width / 4; ++p) {
            const unsigned char *bytes = &block[size_t(r) * width + 4 * p];
            uint8_t *rgb = &expected[(size_t(r) * width + p) * 3];
            rgb[0] = bytes[2];
            rgb[1] = bytes[1];
            rgb[2] = bytes[0];
        }
    const RECT frame = FrameRectOf(movie);
    host.fill(frame, 0);
    EXPECT_EQ(redrawSurface(stream, host.primary()), 1);
    ScreenPicture written;
    ASSERT_TRUE(ReadScreen(host.primary(), frame, &written));
    EXPECT_TRUE(written.rgb == expected);

    // The next decoded frame lands over the host's bytes.
    ScreenPicture next;
    const int nextFrame = TickUntilFrameChanges(stream, host, frame, FrameShown(written), &next);
    ASSERT_GE(nextFrame, 1);
    EXPECT_TRUE(next.rgb == moviegen::FrameRgb24(movie.recipe, nextFrame));
}

}  // namespace

#endif
