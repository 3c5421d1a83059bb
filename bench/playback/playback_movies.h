// The movies the playback benchmarks play, written once per process.
#pragma once

#include <string>

#include "moviegen/moviegen.h"

constexpr int kPlaybackFramesByDefault = 0;  // VIDSURF_BENCH_FRAMES, else 250

// A 25 fps movie of this kind and size without sound, `frames` long (or as
// VIDSURF_BENCH_FRAMES says, 250 frames when unset). Empty (and *error set)
// on failure.
std::string PlaybackMovie(moviegen::Kind kind, std::string *error, int width = 640, int height = 480,
                          int frames = kPlaybackFramesByDefault);
