// Movies for the benchmarks, written once per process into a temporary
// directory that goes away at exit.
#pragma once

#include <string>

#include "moviegen/moviegen.h"

// The file of `movie`, written on first use; empty (and *error set) on
// failure.
std::string BenchMovie(const moviegen::MovieRecipe &movie, std::string *error);

// A 320x240, 25 fps movie of `frames` frames, without sound.
moviegen::MovieRecipe MovieOf(moviegen::Kind kind, int frames);
