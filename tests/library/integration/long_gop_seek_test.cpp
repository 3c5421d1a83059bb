// Seeks into an H.264 movie with libx264's long GOP (a keyframe every 250
// frames) and B-frames: the frame a still or a seek shows is frame
// floor(t * fps), however far t lies from the keyframe before it, in
// either direction, next to frame boundaries. A decoder that hands frames
// out late (frame threads, reordering) must not shift them.
#include <gtest/gtest.h>

#include "movie_files.h"
#include "screen_reader.h"
#include "tick_player.h"

namespace {

constexpr int kFps = 25;
constexpr int kFrames = 300;  // the second keyframe at frame 250
constexpr RECT kTopLeft = {0, 0, 160, 120};

// A time and the frame shown then, visited in this order.
struct Position {
    double seconds;
    int frame;
};

constexpr double kFrameSeconds = 1.0 / kFps;
const Position kPositions[] = {
    {137.5 * kFrameSeconds, 137},          // mid-frame, far into the first GOP
    {3.5 * kFrameSeconds, 3},              // backward, near the keyframe
    {249.5 * kFrameSeconds, 249},          // the last frame before the next keyframe
    {251.5 * kFrameSeconds, 251},          // just past it
    {200 * kFrameSeconds - 0.001, 199},    // a millisecond before a frame starts
    {200 * kFrameSeconds + 0.001, 200},    // a millisecond after
    {0.0, 0},
    {(kFrames - 0.5) * kFrameSeconds, kFrames - 1},  // the last frame
    {61.25 * kFrameSeconds, 61},
};

class LibraryLongGopSeek : public testing::Test {
protected:
    void SetUp() override {
        moviegen::MovieRecipe recipe = SmallMovie(moviegen::Kind::H264Mov, kFps);
        recipe.frames = kFrames;
        const std::string file = files.write("long-gop.mov", recipe);
        ASSERT_FALSE(file.empty());
        stream = createStreamSample(file.c_str(), nullptr, files.directDraw());
        ASSERT_NE(stream, nullptr);
    }
    void TearDown() override { freeStreamSample(stream); }

    // Ticks until a tick presents a frame (or the guard runs out); the
    // frame the screen shows then.
    int FirstPresentedFrame() {
        const double until = SteadySeconds() + 10.0;
        while (SteadySeconds() < until) {
            const int tick = updateStreamSample(stream, screen.primary());
            if (tick == 1) return screen.frameIndex(kTopLeft);
            if (tick == 0) return -2;  // ended without presenting
        }
        return -3;
    }

    MovieFiles files;
    ScreenReader screen{files.directDraw()};
    StreamSample *stream = nullptr;
};

TEST_F(LibraryLongGopSeek, AStillShowsTheFrameAtItsTime) {
    for (const Position &at : kPositions) {
        SCOPED_TRACE(at.seconds);
        streamPause(stream, screen.primary(), at.seconds);
        EXPECT_EQ(screen.frameIndex(kTopLeft), at.frame);
    }
}

TEST_F(LibraryLongGopSeek, TheFirstTickAfterASeekShowsTheFrameAtItsTime) {
    for (const Position &at : kPositions) {
        SCOPED_TRACE(at.seconds);
        streamSeek(stream, at.seconds);
        EXPECT_EQ(FirstPresentedFrame(), at.frame);
        // Playing on from there, then a still and a seek again: the
        // decoder's frames in flight never leak into the next position.
        if (at.frame + 1 < kFrames) {
            EXPECT_EQ(FirstPresentedFrame(), at.frame + 1);
        }
    }
}

}  // namespace
