// Frames on a 32-bit screen (VIDSURF_DISPLAY=640x480x32): where they land
// with and without a window, playback by ticking to the end with the free
// clock, and frames on time with the real one.
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "movie_files.h"
#include "screen_reader.h"
#include "stream/stream_sample.h"
#include "tick_player.h"

namespace {

using moviegen::Kind;
using testing::Each;
using testing::ElementsAreArray;

constexpr RECT kTopLeft = {0, 0, 160, 120};  // SmallMovie's frame at its own size

std::vector<int> framesFrom(int first, int last) {
    std::vector<int> frames(last - first + 1);
    std::iota(frames.begin(), frames.end(), first);
    return frames;
}

// An R,G,B picture at twice its width and height, each pixel doubled.
std::vector<uint8_t> scaledTwice(const std::vector<uint8_t> &rgb, int width, int height) {
    std::vector<uint8_t> scaled;
    for (int y = 0; y < 2 * height; ++y)
        for (int x = 0; x < 2 * width; ++x) {
            const auto at = rgb.begin() + (size_t(y / 2) * width + x / 2) * 3;
            scaled.insert(scaled.end(), at, at + 3);
        }
    return scaled;
}

class LibraryScreen : public testing::Test {
protected:
    ~LibraryScreen() override {
        freeStreamSample(stream);
        if (window != nullptr) DestroyWindow(window);
    }

    void open(const moviegen::MovieRecipe &recipe, HWND hwnd = nullptr) {
        const std::string file = files.write("movie.avi", recipe);
        ASSERT_FALSE(file.empty());
        stream = createStreamSample(file.c_str(), hwnd, files.directDraw());
        ASSERT_NE(stream, nullptr);
    }

    MovieFiles files;
    ScreenReader screen{files.directDraw()};
    StreamSample *stream = nullptr;
    HWND window = nullptr;
};

TEST_F(LibraryScreen, WithoutAWindowTheFrameLandsAtTheTopLeftAtItsOwnSize) {
    const moviegen::MovieRecipe recipe = SmallMovie(Kind::RawRgbAvi);
    open(recipe);
    const RECT around = {0, 0, 200, 150};
    ASSERT_THAT(screen.rgb(around), Each(0));

    EXPECT_EQ(updateSurface(stream, screen.primary()), 1);
    EXPECT_EQ(screen.rgb(kTopLeft), moviegen::FrameRgb24(recipe, 0));
    // Nothing past the frame's own size.
    EXPECT_THAT(screen.rgb(RECT{160, 0, 200, 150}), Each(0));
    EXPECT_THAT(screen.rgb(RECT{0, 120, 160, 150}), Each(0));

    // A still frame, then the same frame again through the other two calls.
    streamPause(stream, screen.primary(), 0.2);
    EXPECT_DOUBLE_EQ(streamClock(stream), 0.2);
    EXPECT_EQ(screen.rgb(kTopLeft), moviegen::FrameRgb24(recipe, 5));
    EXPECT_EQ(drawSurface(stream, screen.primary(), 1), 1);
    EXPECT_EQ(screen.frameIndex(kTopLeft), 5);
    EXPECT_EQ(redrawSurface(stream, screen.primary()), 1);
    EXPECT_EQ(screen.rgb(kTopLeft), moviegen::FrameRgb24(recipe, 5));
}

TEST_F(LibraryScreen, WithAWindowTheFrameFillsTheClientAreaAndFollowsIt) {
    window = CreateWindowExA(0, "movie", "movie", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 30, 360, 300, nullptr,
                             nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    auto clientOnScreen = [&] {
        RECT client;
        GetClientRect(window, &client);
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        OffsetRect(&client, origin.x, origin.y);
        return client;
    };
    // A client area of twice the frame's size, so the stretched picture is
    // known pixel for pixel.
    RECT client = clientOnScreen();
    MoveWindow(window, 40, 30, 360 + 320 - (client.right - client.left), 300 + 240 - (client.bottom - client.top),
               TRUE);
    client = clientOnScreen();
    ASSERT_EQ(client.right - client.left, 320);
    ASSERT_EQ(client.bottom - client.top, 240);
    RECT outer;
    GetWindowRect(window, &outer);
    ASSERT_GT(client.top, outer.top);  // a caption above the client area

    const moviegen::MovieRecipe recipe = SmallMovie(Kind::RawRgbAvi);
    open(recipe, window);
    EXPECT_EQ(updateSurface(stream, screen.primary()), 1);
    EXPECT_EQ(screen.rgb(client), scaledTwice(moviegen::FrameRgb24(recipe, 0), 160, 120));
    // The caption and the frame around the client area stay as they were.
    EXPECT_THAT(screen.rgb(RECT{outer.left, outer.top, outer.right, client.top}), Each(0));
    EXPECT_THAT(screen.rgb(RECT{client.right, client.top, outer.right, client.bottom}), Each(0));

    MoveWindow(window, 220, 160, outer.right - outer.left, outer.bottom - outer.top, TRUE);
    const RECT moved = clientOnScreen();
    ASSERT_EQ(moved.left - client.left, 180);
    streamPause(stream, screen.primary(), 0.12);
    EXPECT_EQ(screen.rgb(moved), scaledTwice(moviegen::FrameRgb24(recipe, 3), 160, 120));
}

TEST_F(LibraryScreen, TickingPlaysEveryFrameInOrderToTheEnd) {
    const moviegen::MovieRecipe recipe = SmallMovie(Kind::RawRgbAvi);
    open(recipe);
    ASSERT_EQ(updateSurface(stream, screen.primary()), 1);
    ASSERT_EQ(screen.frameIndex(kTopLeft), 0);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        TickedPlayback playback = PlayToEndByTicking(stream, screen, kTopLeft, SteadySeconds());
        ASSERT_TRUE(playback.ended);
        // A decode is pending right after it starts; then frames and waits.
        EXPECT_EQ(playback.results.front(), 2);
        playback.results.pop_back();
        EXPECT_THAT(playback.results, Each(testing::AnyOf(1, 2)));
        const int expectedFirst = round == 0 ? 1 : 0;
        EXPECT_THAT(playback.shown, ElementsAreArray(framesFrom(expectedFirst, recipe.frames - 1)));
        EXPECT_EQ(screen.rgb(kTopLeft), moviegen::FrameRgb24(recipe, recipe.frames - 1));
        EXPECT_GE(streamClock(stream), streamDuration(stream));
        // No terminal state: from the start again.
        streamSeek(stream, 0.0);
    }
}

TEST_F(LibraryScreen, TheRealClockPresentsNoFrameBeforeItsTime) {
    const char *clock = std::getenv("VIDSURF_CLOCK");
    const std::string saved = clock != nullptr ? clock : "";
    unsetenv("VIDSURF_CLOCK");
    const moviegen::MovieRecipe recipe = SmallMovie(Kind::RawRgbAvi);
    const double start = SteadySeconds();  // the clock runs from the open on
    open(recipe);
    if (!saved.empty()) setenv("VIDSURF_CLOCK", saved.c_str(), 1);
    ASSERT_NE(stream, nullptr);

    const TickedPlayback playback = PlayToEndByTicking(stream, screen, kTopLeft, start);
    ASSERT_TRUE(playback.ended);
    ASSERT_FALSE(playback.shown.empty());
    EXPECT_EQ(playback.shown.back(), recipe.frames - 1);
    const double slack = 0.002;  // a frame less than 1 ms ahead is shown at once
    for (size_t i = 0; i < playback.shown.size(); ++i) {
        SCOPED_TRACE(playback.shown[i]);
        if (i > 0) {
            EXPECT_GT(playback.shown[i], playback.shown[i - 1]);
        }
        const double due = moviegen::FrameStart100ns(recipe, playback.shown[i]) / 1e7;
        EXPECT_GE(playback.shownClock[i], due - slack);
        EXPECT_GE(playback.shownAfter[i], due - slack);
    }
}

}  // namespace
