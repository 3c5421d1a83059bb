// The movies the playback benchmarks play, written once per process.
#pragma once

#include <string>

#include "moviegen/moviegen.h"

// The length of the benchmarks' movies: VIDSURF_BENCH_FRAMES when set (the
// smoke runs under ctest keep them short), else `byDefault`.
int BenchFrames(int byDefault);

// A movie of this kind, size and length without sound, at `fps` frames a
// second. Empty (and *error set) on failure.
std::string PlaybackMovie(moviegen::Kind kind, std::string *error, int width, int height, int frames, int fps = 25);
