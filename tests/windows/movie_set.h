// The movies the Windows tests play. The Linux generator writes them before
// the run (the program prints its command lines with --print-movies); the
// tests compute the expected frames from the same recipes.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "moviegen/moviegen.h"

struct TestMovie {
    std::string name;
    moviegen::MovieRecipe recipe;
};

// Short movies at 25 frames per second: Wine plays in real time. No MPEG-1
// program stream: Wine loses frames of those and seeks them wrongly.
const TestMovie &RawMovie();        // bgr24, 160x120, 1 s: arrives exactly
const TestMovie &MjpegMovie();      // 160x120, 0.4 s
const TestMovie &SoundMovie();      // MPEG-4 with a PCM track, 160x120, 0.4 s
const TestMovie &PalettedMovie();   // pal8, 160x120, 0.4 s
const std::vector<TestMovie> &AllTestMovies();
// The movies whose frames Wine decodes faithfully. Its AVI decoder turns the
// pal8 movie into black 32-bit frames, so the 8-bit path and its pixels are
// checked on the stand-in only.
const std::vector<TestMovie> &PicturedMovies();

// gtest prints a movie by its name.
void PrintTo(const TestMovie &movie, std::ostream *out);

// The movie's name as a test name: letters, digits and '_' only.
std::string TestMovieName(const TestMovie &movie);

// The moviegen arguments that write `movie` (without the output file).
std::string MoviegenArguments(const TestMovie &movie);

// The directory the movies were written to (Windows form), set by main.
void SetMovieDirectory(const std::string &directory);
const std::string &MovieDirectory();
// MovieDirectory()\name.
std::string MoviePath(const std::string &name);
