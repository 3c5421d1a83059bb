// Movies written for a test, and the host's DirectDraw object to open them on.
#pragma once

#include <string>

#include <ddraw.h>
#include <gtest/gtest.h>

#include "moviegen/moviegen.h"

class MovieFiles {
public:
    MovieFiles();
    ~MovieFiles();
    MovieFiles(const MovieFiles &) = delete;
    MovieFiles &operator=(const MovieFiles &) = delete;

    // Writes a movie of `recipe` under `name` in the temporary directory and
    // returns its path; empty (with a test failure) when it cannot.
    std::string write(const std::string &name, const moviegen::MovieRecipe &recipe);
    std::string path(const std::string &name) const { return dir_.File(name); }

    IDirectDraw *directDraw() const { return directDraw_; }

private:
    moviegen::TempDir dir_;
    IDirectDraw *directDraw_ = nullptr;
};

// A recipe of `kind` at a small size, 25 frames per second unless given.
moviegen::MovieRecipe SmallMovie(moviegen::Kind kind, int fps = 25);

// A movie kind as a test name: gtest allows no '-'.
std::string KindTestName(const testing::TestParamInfo<moviegen::Kind> &info);
