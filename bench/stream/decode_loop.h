// The decoding-throughput loop shared by the screen modes: one synchronous
// IStreamSample::Update per iteration, items processed = frames. The
// decoding runs on the stand-in's own thread, so register it with
// UseRealTime(): CPU time of the calling thread would miss it.
#pragma once

#include <benchmark/benchmark.h>

#include "moviegen/moviegen.h"

void DecodeFrames(benchmark::State &state, const moviegen::MovieRecipe &written);
