// reelplay's player: the library's interface as a host uses it. The host
// owns DirectDraw, the primary surface and the window; the library opens
// the movie into a record and presents its frames, and the host decides
// when to tick, pause and seek.
#include "movie_player.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include <windows.h>
#include <ddraw.h>
#include <vidsurf.h>

#ifndef _WIN32
#include <standin/standin.h>
#endif

#include "display.h"

namespace reelplay {
namespace {

constexpr double kSeekStep = 5.0;  // seconds per arrow key

// Went down since the last look.
bool Pressed(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x0001) != 0; }

// Shows the screen in a desktop window, which also brings in its keys.
// False when there is no display to show it on.
bool ShowScreen() {
#ifndef _WIN32
    return StandinMirrorScreen() != FALSE;
#else
    return true;
#endif
}

// One open movie and what the keys do to it.
class Playback {
public:
    Playback(StreamSample *stream, IDirectDrawSurface *primary) : stream_(stream), primary_(primary) {}

    bool paused() const { return paused_; }

    // One tick at the display's pace: 0 once the movie has ended, 1 when it
    // plays on (or stands paused), 2 while a frame is still being decoded.
    int tick() { return paused_ ? 1 : updateStreamSample(stream_, primary_); }

    // Pausing shows the frame at the current clock as a still and parks
    // the stream; resuming seeks back there and lets the ticks go on.
    void togglePause() {
        if (!paused_) {
            pausedAt_ = streamClock(stream_);
            streamPause(stream_, primary_, pausedAt_);
        } else {
            streamSeek(stream_, pausedAt_);
        }
        paused_ = !paused_;
    }

    void seekBy(double seconds) {
        const double from = paused_ ? pausedAt_ : streamClock(stream_);
        const double to = std::clamp(from + seconds, 0.0, streamDuration(stream_));
        if (paused_) {
            pausedAt_ = to;
            streamPause(stream_, primary_, to);  // a still of the new place
        } else {
            streamSeek(stream_, to);
        }
    }

private:
    StreamSample *stream_;
    IDirectDrawSurface *primary_;
    bool paused_ = false;
    double pausedAt_ = 0.0;
};

// Ticks once per screen refresh until the movie ends or Escape is pressed.
// Returns the number of ticks.
long Run(Playback &playback, const Display &display, StreamSample *stream, bool keys) {
    const auto interval = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(1.0 / display.refreshRate()));
    // On an 8-bit screen the movie's palette is realised once its first
    // frame is up, so that later frames translate to its own colours
    // rather than to the twenty static ones.
    bool realised = !display.palettized() || streamPalette(stream, nullptr) == 0;
    auto next = std::chrono::steady_clock::now();
    long ticks = 0;
    for (;; ++ticks) {
        if (keys) {
            if (Pressed(VK_ESCAPE)) break;
            if (Pressed(VK_SPACE)) playback.togglePause();
            if (Pressed(VK_LEFT)) playback.seekBy(-kSeekStep);
            if (Pressed(VK_RIGHT)) playback.seekBy(kSeekStep);
        }
        const int result = playback.tick();
        if (result == 0) break;
        if (!realised && result == 1) {
            drawSurface(stream, display.primary(), TRUE);
            realised = true;
        }
        ShowScreen();
        next += interval;
        std::this_thread::sleep_until(next);
    }
    return ticks;
}

}  // namespace

int PlayMovie(const char *path) {
    Display display;
    if (!display.ok()) return 1;
    HWND window = display.makeWindow("reelplay");
    StreamSample *stream = createStreamSample(path, window, display.directDraw());
    if (!stream) {
        std::fprintf(stderr, "reelplay: cannot play %s\n", path);
        DestroyWindow(window);
        return 1;
    }

    int width = 0, height = 0;
    streamRect(stream, &width, &height);
    const int scale = display.scaleFor(width, height);
    display.centreWindow(window, scale * width, scale * height);
    std::printf("Playing %s: %dx%d, %.2f s, %.2f ms per frame\n", path, width, height, streamDuration(stream),
                streamFrametime(stream));
    const bool keys = ShowScreen();
    if (keys) std::printf("In the screen's window: space pauses and resumes, the arrows seek, Escape quits.\n");
    std::fflush(stdout);

    Playback playback(stream, display.primary());
    const auto start = std::chrono::steady_clock::now();
    const long ticks = Run(playback, display, stream, keys);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("Stopped at %.2f s of the movie after %.2f s (%ld ticks)%s\n", streamClock(stream), seconds, ticks,
                keys ? "" : "; no display to show the screen on");

    freeStreamSample(stream);
    DestroyWindow(window);
    return 0;
}

}  // namespace reelplay
