// Presenting frames on the primary surface, without and with a window, read
// back by locking the primary surface.
#ifdef VIDSURF_HAS_PRESENT

#include <gtest/gtest.h>
#include <vidsurf.h>

#include "desktop_host.h"
#include "movie_set.h"
#include "open_record.h"
#include "screen_picture.h"

namespace {

// Magenta on the screen's 32-bit X8R8G8B8 primary surface.
constexpr DWORD kFill = 0x00ff00ff;

// Whether every pixel of the screen rectangle is the fill colour.
bool StillFilled(const DesktopHost &host, const RECT &rect) {
    ScreenPicture picture;
    if (!ReadScreen(host.primary(), rect, &picture)) return false;
    for (size_t i = 0; i < picture.rgb.size(); i += 3)
        if (picture.rgb[i] != 0xff || picture.rgb[i + 1] != 0 || picture.rgb[i + 2] != 0xff) return false;
    return true;
}

// The frame on the screen at `rect` is frame `index` of `movie`: exactly
// for the lossless movies, by its frame number otherwise.
void ExpectFrameAt(const DesktopHost &host, const RECT &rect, const TestMovie &movie, int index) {
    ScreenPicture picture;
    ASSERT_TRUE(ReadScreen(host.primary(), rect, &picture));
    EXPECT_EQ(FrameShown(picture), index);
    if (moviegen::KindIsLossless(movie.recipe.kind)) {
        EXPECT_TRUE(picture.rgb == moviegen::FrameRgb24(movie.recipe, index));
    }
}

class WindowsPresent : public OnDesktop<testing::TestWithParam<TestMovie>> {};
using WindowsPresentOnAWindow = OnDesktop<testing::Test>;

// Without a window every present lands at the frame rectangle, at the
// frame's own size, and nothing beyond it is touched.
TEST_P(WindowsPresent, WithoutAWindowTheFrameLandsAtTheFrameRectangle) {
    const TestMovie &movie = GetParam();
    StreamSample *stream = open(movie);
    ASSERT_NE(stream, nullptr);
    const RECT frame = FrameRectOf(movie);
    const RECT around = {0, 0, frame.right + 16, frame.bottom + 16};
    const RECT right = {frame.right, 0, around.right, around.bottom};
    const RECT below = {0, frame.bottom, frame.right, around.bottom};

    host.fill(around, kFill);
    EXPECT_EQ(updateSurface(stream, host.primary()), 1);
    ExpectFrameAt(host, frame, movie, 0);
    EXPECT_TRUE(StillFilled(host, right));
    EXPECT_TRUE(StillFilled(host, below));

    host.fill(around, kFill);
    EXPECT_EQ(drawSurface(stream, host.primary(), 1), 1);
    ExpectFrameAt(host, frame, movie, 0);

    host.fill(around, kFill);
    EXPECT_EQ(redrawSurface(stream, host.primary()), 1);
    ExpectFrameAt(host, frame, movie, 0);
    EXPECT_TRUE(StillFilled(host, right));
}

INSTANTIATE_TEST_SUITE_P(EachMovie, WindowsPresent, testing::ValuesIn(PicturedMovies()),
                         [](const testing::TestParamInfo<TestMovie> &info) { return TestMovieName(info.param); });

// With a window the frame fills the client area in screen coordinates and
// follows the window when it moves; a larger client area gets the frame
// stretched.
TEST_F(WindowsPresentOnAWindow, FillsTheClientAreaAndFollowsTheWindow) {
    const TestMovie &movie = RawMovie();
    const int width = movie.recipe.width, height = movie.recipe.height;
    HostWindow window(300, 200, width, height);
    ASSERT_NE(window.hwnd(), nullptr);
    StreamSample *stream = open(movie, window.hwnd());
    ASSERT_NE(stream, nullptr);

    const RECT first = window.screenRect();
    ASSERT_EQ(first.left, 300);
    ASSERT_EQ(first.top, 200);
    host.fill(FrameRectOf(movie), kFill);
    host.fill(first, kFill);
    EXPECT_EQ(updateSurface(stream, host.primary()), 1);
    ExpectFrameAt(host, first, movie, 0);
    EXPECT_TRUE(StillFilled(host, FrameRectOf(movie)));

    window.moveTo(520, 400);
    const RECT second = window.screenRect();
    ASSERT_EQ(second.left, 520);
    host.fill(first, kFill);
    host.fill(second, kFill);
    EXPECT_EQ(redrawSurface(stream, host.primary()), 1);
    ExpectFrameAt(host, second, movie, 0);
    EXPECT_TRUE(StillFilled(host, first));

    HostWindow wide(40, 300, 2 * width, 2 * height);
    StreamSample *stretched = open(movie, wide.hwnd());
    ASSERT_NE(stretched, nullptr);
    const RECT large = wide.screenRect();
    host.fill(large, kFill);
    EXPECT_EQ(drawSurface(stretched, host.primary(), 0), 1);
    ScreenPicture picture;
    ASSERT_TRUE(ReadScreen(host.primary(), large, &picture));
    const ScreenPicture half = HalveScreenPicture(picture);
    EXPECT_EQ(FrameShown(half), 0);
    EXPECT_TRUE(half.rgb == moviegen::FrameRgb24(movie.recipe, 0));
}

}  // namespace

#endif  // VIDSURF_HAS_PRESENT
