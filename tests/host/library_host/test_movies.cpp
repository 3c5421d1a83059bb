#include "test_movies.h"

#include <cstdio>

bool WriteTestMovies(const moviegen::TempDir &dir, std::vector<TestMovie> *movies) {
    movies->clear();
    for (moviegen::Kind kind : {moviegen::Kind::RawRgbAvi, moviegen::Kind::Pal8Avi, moviegen::Kind::Mpeg4PcmAvi}) {
        TestMovie movie;
        movie.recipe.kind = kind;
        // Odd on both sides: rows are padded in surfaces, never in the movie.
        movie.recipe.width = 321;
        movie.recipe.height = 241;
        movie.recipe.fpsNum = 25;
        movie.recipe.fpsDen = 1;
        movie.recipe.frames = 12;
        movie.recipe.audio = kind == moviegen::Kind::Mpeg4PcmAvi;
        movie.name = moviegen::KindName(kind);
        movie.path = dir.File(movie.name + moviegen::KindExtension(kind));
        std::string error;
        if (!moviegen::WriteMovie(movie.path, movie.recipe, &error)) {
            std::printf("cannot write %s: %s\n", movie.path.c_str(), error.c_str());
            return false;
        }
        movies->push_back(movie);
    }
    return true;
}
