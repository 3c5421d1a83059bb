// Compares unpaced playback through the library's tick with the plain libav
// loop on the same movie (640x480 unless told otherwise), in one run: both
// loops play the whole movie in turn, three times, and the fastest pass of
// each counts (other work on the machine slows single passes). Counters:
// the two rates, their ratio and its goal, the CPU time a frame costs each
// (all threads), and the tick loop's allocations per frame and their goal.
#pragma once

#include <benchmark/benchmark.h>

#include "moviegen/moviegen.h"
#include "plain_libav_loop.h"

// A movie of the comparison: its kind, size and default length (which
// VIDSURF_BENCH_FRAMES overrides).
struct PlaybackMovieSpec {
    moviegen::Kind kind;
    int width = 640;
    int height = 480;
    int frames = 250;  // ten seconds
};

void ComparePlayback(benchmark::State &state, const PlaybackMovieSpec &movie, ReferenceTarget target, double goal);
void ComparePlayback(benchmark::State &state, moviegen::Kind kind, ReferenceTarget target, double goal);
