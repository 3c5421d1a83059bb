#include "readout_checks.h"

#include <cmath>
#include <cstring>
#include <vidsurf.h>

#include "check.h"
#include "process_probes.h"
#include "stderr_capture.h"

namespace {

void CheckPalette(StreamSample *stream, const TestMovie &movie, DWORD screenBits, const std::string &where) {
    unsigned char rgb[768];
    std::memset(rgb, 0xA5, sizeof rgb);
    const int entries = streamPalette(stream, rgb);
    if (screenBits != 8) {
        bool untouched = true;
        for (unsigned char byte : rgb) untouched = untouched && byte == 0xA5;
        Check(entries == 0 && untouched, where + ": streamPalette is 0 and writes nothing on a true-colour screen");
        return;
    }
    Check(entries == 256, where + ": streamPalette is 256 on the 8-bit screen");
    if (!moviegen::KindIsPaletted(movie.recipe.kind)) return;
    const auto colours = moviegen::MoviePalette();
    bool same = true;
    for (int i = 0; i < 256; ++i) {
        const uint32_t colour = (uint32_t{rgb[i * 3]} << 16) | (uint32_t{rgb[i * 3 + 1]} << 8) | rgb[i * 3 + 2];
        same = same && colour == colours[i];
    }
    Check(same, where + ": streamPalette gives the movie's own colours");
}

void CheckGeometry(StreamSample *stream, const TestMovie &movie, const std::string &where) {
    int width = -1, height = -1;
    streamRect(stream, &width, &height);
    Check(width == movie.recipe.width && height == movie.recipe.height, where + ": streamRect is the frame size");
}

void CheckSeeking(StreamSample *stream, const std::string &where) {
    const double before = streamClock(stream);
    for (double seconds : {0.2, 0.0, -0.5, -1.0, -2.0}) {
        streamSeek(stream, seconds);
        Check(streamClock(stream) == before,
              where + ": streamSeek(" + std::to_string(seconds) + ") leaves the clock read-out alone");
    }
}

}  // namespace

void CheckReadouts(IDirectDraw *dd, const TestMovie &movie, DWORD screenBits) {
    const std::string where = movie.name + " on " + std::to_string(screenBits) + "-bit";
    const ULONG comBefore = ComInitCount();
    const ULONG ddBefore = RefCount(dd);
    StreamSample *stream = nullptr;
    const std::string said = CaptureStderr([&] { stream = createStreamSample(movie.path.c_str(), nullptr, dd); });
    Check(stream != nullptr, where + ": createStreamSample");
    Check(said.empty(), where + ": opening says nothing on stderr (said \"" + said + "\")");
    if (!stream) return;
    Check(ComInitCount() == comBefore + 1, where + ": an open record holds one COM initialisation");

    const double frameSeconds = static_cast<double>(movie.recipe.fpsDen) / movie.recipe.fpsNum;
    Check(streamFrametime(stream) == 1000.0 * frameSeconds,
          where + ": streamFrametime is " + std::to_string(streamFrametime(stream)));
    const double length = static_cast<double>(moviegen::MovieDuration100ns(movie.recipe)) / 1e7;
    Check(std::fabs(streamDuration(stream) - length) <= frameSeconds,
          where + ": streamDuration is " + std::to_string(streamDuration(stream)) + ", the movie lasts " +
              std::to_string(length));
    // The clock as read after the first frame was decoded.
    const double clock = streamClock(stream);
    Check(clock >= -0.001 && clock < frameSeconds, where + ": streamClock after opening is " + std::to_string(clock));

    CheckPalette(stream, movie, screenBits, where);
    CheckGeometry(stream, movie, where);
    CheckSeeking(stream, where);

    freeStreamSample(stream);
    Check(ComInitCount() == comBefore, where + ": freeing gives back the COM initialisation");
    Check(RefCount(dd) == ddBefore, where + ": freeing leaves the DirectDraw object's count as it was");
}

void CheckNullRecord() {
    const ULONG comBefore = ComInitCount();
    freeStreamSample(nullptr);
    Check(ComInitCount() == comBefore, "freeStreamSample(null) leaves COM alone");
    streamSeek(nullptr, 1.0);
    Check(streamClock(nullptr) == 0.0 && streamDuration(nullptr) == 0.0 && streamFrametime(nullptr) == 0.0,
          "the read-outs give 0 for a null record");
}
