// What a stream reports about its movie, fixed once the file is open.
#pragma once

#include <array>
#include <cstdint>

#include <mmstream.h>

namespace standin::mmstream {

struct MovieInfo {
    int width = 0;
    int height = 0;
    STREAM_TIME duration = 0;      // 100 ns units
    STREAM_TIME timePerFrame = 0;  // 100 ns units
    // Where the movie's time 0 lies in the file's own timestamps, in
    // microseconds; the audio track is placed against the same origin.
    int64_t originMicroseconds = 0;
    // Whether the file has a sound track FFmpeg can decode: only then does
    // the audio renderer start a thread to play it.
    bool hasSound = false;
    // Palettized movies: the colours of the first frame (or of a GIF's
    // colour table), as 0x00RRGGBB values.
    bool palettized = false;
    std::array<uint32_t, 256> palette{};
};

}  // namespace standin::mmstream
