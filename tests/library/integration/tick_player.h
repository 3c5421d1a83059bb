// A host's playback loop: ticks a record until the tick says the end, and
// watches which frames the screen shows on the way.
#pragma once

#include <vector>

#include "exported_interface.h"
#include "screen_reader.h"

struct TickedPlayback {
    std::vector<int> results;       // every tick's result, in order
    std::vector<int> shown;         // each frame number as it first appeared on the screen
    std::vector<double> shownClock; // streamClock right after the tick that showed it
    std::vector<double> shownAfter; // seconds since `start` when it was seen
    bool ended = false;             // the last tick returned 0 (not stopped by the guard)
};

// Ticks `stream` back to back until a tick returns 0 (or `guardSeconds`
// pass), reading `area` of the screen after every tick that returned 1.
// Elapsed times are measured from `start`, a steady-clock time in seconds.
TickedPlayback PlayToEndByTicking(StreamSample *stream, const ScreenReader &screen, const RECT &area,
                                  double start, double guardSeconds = 30.0);

// Seconds on the steady clock.
double SteadySeconds();
