// The reference every playback figure is measured against: a plain libav
// loop that demuxes, decodes and converts each frame into a buffer in the
// screen's format, with the decoder threading the stand-in uses.
#pragma once

#include <string>

// The screen format the reference converts to.
enum class ReferenceTarget {
    Bgr0,  // 32-bit screen: libswscale's fast paths
    Bgr8,  // 8-bit screen, true-colour movie: libswscale's own 8-bit layout
    Pal8,  // 8-bit screen, pal8 movie: the indices copied as they are
};

struct LoopResult {
    int frames = 0;
    double seconds = 0;
    double fps() const { return seconds > 0 ? frames / seconds : 0; }
};

// Plays the file's video stream once, opening excluded from the time;
// false with *error set on failure.
bool PlainLibavLoop(const std::string &path, ReferenceTarget target, LoopResult *result, std::string *error);
