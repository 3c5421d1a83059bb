// Unpaced playback through the library as a host drives it: the exported
// tick (updateStreamSample) called back to back, each frame presented on
// the primary surface. Meant for VIDSURF_CLOCK=free.
#pragma once

#include <string>

#include "common/screen.h"
#include "plain_libav_loop.h"

struct TickResult : LoopResult {
    // Heap allocations per presented frame from the tenth to the last
    // frame; negative where allocations cannot be counted.
    double allocationsPerFrame = -1;
};

// Plays the file once to its end; opening is excluded from the time.
// False with *error set on failure.
bool TickLoop(const std::string &path, const Screen &screen, TickResult *result, std::string *error);
