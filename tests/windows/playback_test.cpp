// Playing movies tick by tick on the real platform: to the end, after
// seeks, stills from streamPause, and two records side by side. What each
// present put on the primary surface is read back after every tick.
#ifdef VIDSURF_HAS_TICK

#include <chrono>
#include <memory>
#include <vector>

#include <gtest/gtest.h>
#include <vidsurf.h>

#include "desktop_host.h"
#include "movie_set.h"
#include "open_record.h"
#include "screen_picture.h"

namespace {

using Clock = std::chrono::steady_clock;

// Wine decodes in real time; a host gives up on a movie that plays far
// longer than it lasts.
constexpr std::chrono::seconds kPatience{10};

struct TickRun {
    bool ended = false;             // a tick returned 0
    bool resultsInRange = true;     // every tick returned 0, 1 or 2
    std::vector<int> framesShown;   // frame numbers as they changed on the screen
};

void NoteFrame(const DesktopHost &host, const RECT &where, TickRun *run) {
    ScreenPicture picture;
    if (!ReadScreen(host.primary(), where, &picture)) return;
    const int frame = FrameShown(picture);
    if (frame >= 0 && (run->framesShown.empty() || run->framesShown.back() != frame))
        run->framesShown.push_back(frame);
}

// Ticks until the tick returns 0 (or patience runs out), noting the frame
// at `where` after every tick that reports playing.
TickRun TickToEnd(StreamSample *stream, const DesktopHost &host, const RECT &where) {
    TickRun run;
    const Clock::time_point deadline = Clock::now() + kPatience;
    while (Clock::now() < deadline) {
        const int result = updateStreamSample(stream, host.primary());
        if (result < 0 || result > 2) run.resultsInRange = false;
        if (result == 0) {
            run.ended = true;
            break;
        }
        if (result == 1) NoteFrame(host, where, &run);
    }
    return run;
}

// Ticks until a frame other than `before` is on the screen at `where`.
int TickUntilFrameChanges(StreamSample *stream, const DesktopHost &host, const RECT &where, int before) {
    const Clock::time_point deadline = Clock::now() + kPatience;
    while (Clock::now() < deadline) {
        if (updateStreamSample(stream, host.primary()) != 1) continue;
        ScreenPicture picture;
        if (!ReadScreen(host.primary(), where, &picture)) return -1;
        const int frame = FrameShown(picture);
        if (frame != before) return frame;
    }
    return -1;
}

bool StrictlyRising(const std::vector<int> &frames) {
    for (size_t i = 1; i < frames.size(); ++i)
        if (frames[i] <= frames[i - 1]) return false;
    return true;
}

void ExpectPlayedToTheEnd(const TickRun &run, const TestMovie &movie, size_t atLeast) {
    EXPECT_TRUE(run.ended);
    EXPECT_TRUE(run.resultsInRange);
    ASSERT_FALSE(run.framesShown.empty());
    EXPECT_TRUE(StrictlyRising(run.framesShown)) << testing::PrintToString(run.framesShown);
    EXPECT_EQ(run.framesShown.back(), movie.recipe.frames - 1) << testing::PrintToString(run.framesShown);
    EXPECT_GE(run.framesShown.size(), atLeast) << testing::PrintToString(run.framesShown);
}

class WindowsPlayback : public testing::TestWithParam<TestMovie> {};

// Every movie plays from its first frame to its last, frames in order, and
// the playback ends with the clock at the duration.
TEST_P(WindowsPlayback, TicksShowTheFramesInOrderToTheEnd) {
    const TestMovie &movie = GetParam();
    DesktopHost host;
    ASSERT_TRUE(host.ready());
    OpenRecord stream(movie, host);
    ASSERT_NE(stream.get(), nullptr);

    const TickRun run = TickToEnd(stream.get(), host, FrameRectOf(movie));
    // Real-time decoding may drop a frame now and then; most arrive.
    ASSERT_NO_FATAL_FAILURE(ExpectPlayedToTheEnd(run, movie, size_t(movie.recipe.frames) / 2));
    EXPECT_LE(run.framesShown.front(), 2);
    EXPECT_GE(streamClock(stream.get()), streamDuration(stream.get()));
}

INSTANTIATE_TEST_SUITE_P(EachMovie, WindowsPlayback, testing::ValuesIn(PicturedMovies()),
                         [](const testing::TestParamInfo<TestMovie> &info) { return TestMovieName(info.param); });

// A seek moves playback to the frame at that time, forwards and backwards,
// and the next ticks go on from there to the end.
TEST(WindowsPlaybackSeek, TicksGoOnFromTheNewPosition) {
    const TestMovie &movie = RawMovie();  // 25 frames, 1 s
    DesktopHost host;
    ASSERT_TRUE(host.ready());
    OpenRecord stream(movie, host);
    ASSERT_NE(stream.get(), nullptr);
    const RECT frame = FrameRectOf(movie);

    streamSeek(stream.get(), 0.6);
    const int afterForward = TickUntilFrameChanges(stream.get(), host, frame, -2);
    EXPECT_GE(afterForward, 15);
    EXPECT_LE(afterForward, 16);
    // Wine's stream clock counts from 0 again after a seek (the time since
    // the seek); the stand-in reports the movie position. Either is a
    // clock that has just been read: near 0 or near 0.6 s.
    const double clock = streamClock(stream.get());
    EXPECT_TRUE(clock < 0.3 || (clock > 0.55 && clock < 0.9)) << clock;

    streamSeek(stream.get(), 0.2);
    const int afterBackward = TickUntilFrameChanges(stream.get(), host, frame, afterForward);
    EXPECT_GE(afterBackward, 5);
    EXPECT_LE(afterBackward, 6);

    const TickRun rest = TickToEnd(stream.get(), host, frame);
    ASSERT_NO_FATAL_FAILURE(ExpectPlayedToTheEnd(rest, movie, 5));
    EXPECT_GT(rest.framesShown.front(), 4);
}

// streamPause shows the frame at the given time at once and keeps it: the
// stream is parked at its end, so the ticks that follow show nothing new.
// A negative time only parks the stream and shows nothing.
TEST(WindowsPlaybackPause, ShowsAStillAndParksAtTheEnd) {
    const TestMovie &movie = RawMovie();
    DesktopHost host;
    ASSERT_TRUE(host.ready());
    OpenRecord stream(movie, host);
    ASSERT_NE(stream.get(), nullptr);
    const RECT frame = FrameRectOf(movie);

    host.fill(frame, 0);
    streamPause(stream.get(), host.primary(), 0.4);
    ScreenPicture still;
    ASSERT_TRUE(ReadScreen(host.primary(), frame, &still));
    EXPECT_EQ(FrameShown(still), 10);
    EXPECT_TRUE(still.rgb == moviegen::FrameRgb24(movie.recipe, 10));
    EXPECT_EQ(streamClock(stream.get()), 0.4);

    // Parked at the end, the stand-in reports the end of the stream at once;
    // Wine's seek to the duration still lands on the last frame, which the
    // next tick decodes and shows. Nothing earlier than that may appear.
    const TickRun parked = TickToEnd(stream.get(), host, frame);
    EXPECT_TRUE(parked.ended);
    const int last = movie.recipe.frames - 1;
    EXPECT_TRUE(parked.framesShown == std::vector<int>{10} || parked.framesShown == std::vector<int>{last} ||
                parked.framesShown == (std::vector<int>{10, last}))
        << testing::PrintToString(parked.framesShown);

    host.fill(frame, 0);
    const double clock = streamClock(stream.get());
    streamPause(stream.get(), host.primary(), -3.0);
    ScreenPicture untouched;
    ASSERT_TRUE(ReadScreen(host.primary(), frame, &untouched));
    EXPECT_EQ(untouched.rgb, std::vector<uint8_t>(untouched.rgb.size(), 0));
    EXPECT_EQ(streamClock(stream.get()), clock);

    // From the parked end a seek to the start plays the movie again.
    streamSeek(stream.get(), 0.0);
    ExpectPlayedToTheEnd(TickToEnd(stream.get(), host, frame), movie, size_t(movie.recipe.frames) / 2);
}

// Wine cannot show the pal8 movie's pictures, but playing it still comes to
// an end.
TEST(WindowsPlaybackPalettized, TicksComeToAnEnd) {
    const TestMovie &movie = PalettedMovie();
    DesktopHost host;
    ASSERT_TRUE(host.ready());
    OpenRecord stream(movie, host);
    ASSERT_NE(stream.get(), nullptr);
    const TickRun run = TickToEnd(stream.get(), host, FrameRectOf(movie));
    EXPECT_TRUE(run.ended);
    EXPECT_TRUE(run.resultsInRange);
    EXPECT_GE(streamClock(stream.get()), streamDuration(stream.get()));
}

// Two records tick in turns, one without a window and one on a window;
// each shows its own movie in its own place, and freeing one leaves the
// other playing.
TEST(WindowsPlaybackTwoRecords, PlaySideBySide) {
    DesktopHost host;
    ASSERT_TRUE(host.ready());
    HostWindow window(400, 300, RawMovie().recipe.width, RawMovie().recipe.height);
    OpenRecord onWindow(RawMovie(), host, window.hwnd());
    auto offWindow = std::make_unique<OpenRecord>(MjpegMovie(), host);
    ASSERT_NE(onWindow.get(), nullptr);
    ASSERT_NE(offWindow->get(), nullptr);

    TickRun raw, mjpeg;
    const Clock::time_point deadline = Clock::now() + kPatience;
    while (Clock::now() < deadline && !mjpeg.ended) {
        if (updateStreamSample(onWindow.get(), host.primary()) == 1) NoteFrame(host, window.screenRect(), &raw);
        const int result = updateStreamSample(offWindow->get(), host.primary());
        if (result == 1) NoteFrame(host, FrameRectOf(MjpegMovie()), &mjpeg);
        mjpeg.ended = result == 0;
    }
    ExpectPlayedToTheEnd(mjpeg, MjpegMovie(), 3);
    EXPECT_TRUE(StrictlyRising(raw.framesShown));
    offWindow.reset();

    const TickRun rest = TickToEnd(onWindow.get(), host, window.screenRect());
    ExpectPlayedToTheEnd(rest, RawMovie(), 5);
}

}  // namespace

#endif  // VIDSURF_HAS_TICK
