#include "playback_movies.h"

#include <cstdlib>

#include "stream/bench_movies.h"

namespace {

constexpr int kDefaultFrames = 250;

int FramesByDefault() {
    const char *text = std::getenv("VIDSURF_BENCH_FRAMES");
    const int frames = text ? std::atoi(text) : 0;
    return frames > 0 ? frames : kDefaultFrames;
}

}  // namespace

std::string PlaybackMovie(moviegen::Kind kind, std::string *error, int width, int height, int frames) {
    moviegen::MovieRecipe movie = MovieOf(kind, frames > 0 ? frames : FramesByDefault());
    movie.width = width;
    movie.height = height;
    return BenchMovie(movie, error);
}
