#include "movie_files.h"

#include <gtest/gtest.h>

MovieFiles::MovieFiles() { DirectDrawCreate(nullptr, &directDraw_, nullptr); }

MovieFiles::~MovieFiles() {
    if (directDraw_ != nullptr) directDraw_->Release();
}

std::string MovieFiles::write(const std::string &name, const moviegen::MovieSpec &spec) {
    const std::string file = dir_.File(name);
    std::string error;
    if (!moviegen::WriteMovie(file, spec, &error)) {
        ADD_FAILURE() << "cannot write " << file << ": " << error;
        return std::string();
    }
    return file;
}

moviegen::MovieSpec SmallMovie(moviegen::Kind kind, int fps) {
    moviegen::MovieSpec spec;
    spec.kind = kind;
    spec.width = 160;
    spec.height = 120;
    spec.fpsNum = fps;
    spec.fpsDen = 1;
    spec.frames = 10;
    return spec;
}
