// The movies the host plays: short (about half a second) and of an odd frame
// size, one of each kind it checks. They are planned from a folder's name
// alone, so that a child process finds the movies its parent wrote.
#pragma once

#include <string>
#include <vector>

#include "moviegen/moviegen.h"

struct TestMovie {
    std::string name;
    moviegen::MovieRecipe recipe;
    std::string path;
};

// Raw RGB, pal8 and MPEG-4 with PCM sound: 12 frames at 25 fps.
std::vector<TestMovie> PlanMovies(const std::string &dir);
// Two raw RGB frames a quarter of a second apart.
TestMovie PlanSlowMovie(const std::string &dir);
// False (with the reason printed) when the movie cannot be written.
bool WriteTestMovie(const TestMovie &movie);
