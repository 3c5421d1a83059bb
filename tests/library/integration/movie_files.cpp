#include "movie_files.h"

#include <gtest/gtest.h>

MovieFiles::MovieFiles() { DirectDrawCreate(nullptr, &directDraw_, nullptr); }

MovieFiles::~MovieFiles() {
    if (directDraw_ != nullptr) directDraw_->Release();
}

std::string MovieFiles::write(const std::string &name, const moviegen::MovieRecipe &recipe) {
    const std::string file = dir_.File(name);
    std::string error;
    if (!moviegen::WriteMovie(file, recipe, &error)) {
        ADD_FAILURE() << "cannot write " << file << ": " << error;
        return std::string();
    }
    return file;
}

moviegen::MovieRecipe SmallMovie(moviegen::Kind kind, int fps) {
    moviegen::MovieRecipe recipe;
    recipe.kind = kind;
    recipe.width = 160;
    recipe.height = 120;
    recipe.fpsNum = fps;
    recipe.fpsDen = 1;
    recipe.frames = 10;
    return recipe;
}

std::string KindTestName(const testing::TestParamInfo<moviegen::Kind> &info) {
    std::string name = moviegen::KindName(info.param);
    for (char &c : name)
        if (c == '-') c = '_';
    return name;
}
