// The movies the host opens: short (about half a second), of an odd frame
// size, written into a temporary folder.
#pragma once

#include <string>
#include <vector>

#include "moviegen/moviegen.h"

struct TestMovie {
    std::string name;
    moviegen::MovieRecipe recipe;
    std::string path;
};

// Raw RGB, pal8 and MPEG-4 with PCM sound, 12 frames at 25 fps. False (with
// the reason printed) when one cannot be written.
bool WriteTestMovies(const moviegen::TempDir &dir, std::vector<TestMovie> *movies);
