#include "test_movies.h"

#include <cstdio>

namespace {

TestMovie Plan(const std::string &dir, moviegen::Kind kind, int fps, int frames) {
    TestMovie movie;
    movie.recipe.kind = kind;
    // Odd on both sides: rows are padded in surfaces, never in the movie.
    movie.recipe.width = 321;
    movie.recipe.height = 241;
    movie.recipe.fpsNum = fps;
    movie.recipe.fpsDen = 1;
    movie.recipe.frames = frames;
    movie.recipe.audio = kind == moviegen::Kind::Mpeg4PcmAvi;
    movie.name = std::string(moviegen::KindName(kind)) + "@" + std::to_string(fps) + "fps";
    movie.path = dir + "/" + movie.name + moviegen::KindExtension(kind);
    return movie;
}

}  // namespace

std::vector<TestMovie> PlanMovies(const std::string &dir) {
    std::vector<TestMovie> movies;
    for (moviegen::Kind kind : {moviegen::Kind::RawRgbAvi, moviegen::Kind::Pal8Avi, moviegen::Kind::Mpeg4PcmAvi})
        movies.push_back(Plan(dir, kind, 25, 12));
    return movies;
}

TestMovie PlanSlowMovie(const std::string &dir) { return Plan(dir, moviegen::Kind::RawRgbAvi, 4, 2); }

bool WriteTestMovie(const TestMovie &movie) {
    std::string error;
    if (moviegen::WriteMovie(movie.path, movie.recipe, &error)) return true;
    std::printf("cannot write %s: %s\n", movie.path.c_str(), error.c_str());
    return false;
}
