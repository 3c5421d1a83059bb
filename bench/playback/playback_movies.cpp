#include "playback_movies.h"

#include <cstdlib>

#include "stream/bench_movies.h"

int BenchFrames(int byDefault) {
    const char *text = std::getenv("VIDSURF_BENCH_FRAMES");
    const int frames = text ? std::atoi(text) : 0;
    return frames > 0 ? frames : byDefault;
}

std::string PlaybackMovie(moviegen::Kind kind, std::string *error, int width, int height, int frames, int fps) {
    moviegen::MovieRecipe movie = MovieOf(kind, frames);
    movie.width = width;
    movie.height = height;
    movie.fpsNum = fps;
    return BenchMovie(movie, error);
}
