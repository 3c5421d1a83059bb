// Compares unpaced playback through the library's tick with the plain libav
// loop on the same 640x480 movie, in one run: both loops play the whole
// movie in turn, three times, and the fastest pass of each counts (other work on
// the machine slows single passes). Counters: the two rates, their ratio
// and its goal, and the tick loop's allocations per frame and their goal.
#pragma once

#include <benchmark/benchmark.h>

#include "moviegen/moviegen.h"
#include "plain_libav_loop.h"

void ComparePlayback(benchmark::State &state, moviegen::Kind kind, ReferenceTarget target, double goal);
