// Unpaced playback through the library as a host drives it: the exported
// tick (updateStreamSample) called back to back, each frame presented on
// the primary surface. Meant for VIDSURF_CLOCK=free.
#pragma once

#include <string>

#include "common/screen.h"
#include "plain_libav_loop.h"

// Plays the file once to its end; opening is excluded from the time.
// False with *error set on failure.
bool TickLoop(const std::string &path, const Screen &screen, LoopResult *result, std::string *error);
