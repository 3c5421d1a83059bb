// dshowRender: one movie through a fixed script of full plays, seeks past
// the end, parks at the end and pauses, ticking back to back.
#include <windows.h>

#include "exported_interface.h"
#include "testdrivers/progress_line.h"

namespace {

// Seek targets in seconds; all but the restart lie far past any movie's end.
constexpr double kFirstSeek = 20000.0;
constexpr double kSecondSeek = 35000.0;
constexpr double kClockLimit = 10000.0;
constexpr double kLastSeek = 50000.0;
// -1.0 parks the stream at the end of the movie.
constexpr double kPark = -1.0;
constexpr DWORD kPauseMilliseconds = 5;

void playToEnd(StreamSample *stream, IDirectDrawSurface *primary) {
    while (updateStreamSample(stream, primary) != 0) {
    }
}

// Plays from the start until the tick ends it or the clock reaches the
// limit; a clock that is not a number never reaches it.
void playFromStartUpToClockLimit(StreamSample *stream, IDirectDrawSurface *primary) {
    streamSeek(stream, 0.0);
    while (updateStreamSample(stream, primary) != 0) {
        if (streamClock(stream) >= kClockLimit) break;
    }
}

void parkAndPause(StreamSample *stream, const char *line) {
    streamSeek(stream, kPark);
    printProgressLine(line);
    Sleep(kPauseMilliseconds);
}

}  // namespace

int VIDSURF_CALL dshowRender(const char *fileName, HWND hwnd, IDirectDraw *directDraw, IDirectDrawSurface *primary) {
    // Left in place on return; the record initialises COM once more itself.
    CoInitialize(nullptr);
    StreamSample *stream = createStreamSample(fileName, hwnd, directDraw);
    if (stream == nullptr) {
        freeStreamSample(stream);
        return 0;
    }

    playToEnd(stream, primary);
    streamSeek(stream, kFirstSeek);
    playToEnd(stream, primary);
    streamSeek(stream, kPark);
    printProgressLine("seek 0\n");

    streamSeek(stream, kSecondSeek);
    playToEnd(stream, primary);
    parkAndPause(stream, "pause 1...\n");

    playFromStartUpToClockLimit(stream, primary);
    parkAndPause(stream, "pause 2...\n");

    streamSeek(stream, kLastSeek);
    playToEnd(stream, primary);
    freeStreamSample(stream);
    return 1;
}
