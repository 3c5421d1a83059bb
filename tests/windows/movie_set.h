// The movies the Windows tests play. The Linux generator writes them before
// the run (the program prints its command lines with --print-movies); the
// tests compute the expected frames from the same recipes.
#pragma once

#include <string>
#include <vector>

#include "moviegen/moviegen.h"

struct TestMovie {
    std::string name;
    moviegen::MovieRecipe recipe;
};

// Short movies at 25 frames per second: Wine plays in real time.
const TestMovie &RawMovie();        // bgr24, 160x120, 1 s: arrives exactly
const TestMovie &MjpegMovie();      // 160x120, 0.4 s
const TestMovie &SoundMovie();      // MPEG-4 with a PCM track, 160x120, 0.4 s
const TestMovie &PalettedMovie();   // pal8, 160x120, 0.4 s
const std::vector<TestMovie> &AllTestMovies();

// The moviegen arguments that write `movie` (without the output file).
std::string MoviegenArguments(const TestMovie &movie);

// The directory the movies were written to (Windows form), set by main.
void SetMovieDirectory(const std::string &directory);
const std::string &MovieDirectory();
// MovieDirectory()\name.
std::string MoviePath(const std::string &name);
