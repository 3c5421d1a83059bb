#include "bench_movies.h"

#include <map>
#include <tuple>

namespace {

using MovieKey = std::tuple<int, int, int, int, int, int, bool>;

MovieKey KeyOf(const moviegen::MovieRecipe &movie) {
    return {static_cast<int>(movie.kind), movie.width, movie.height, movie.fpsNum, movie.fpsDen, movie.frames, movie.audio};
}

}  // namespace

std::string BenchMovie(const moviegen::MovieRecipe &movie, std::string *error) {
    static moviegen::TempDir directory;
    static std::map<MovieKey, std::string> written;
    const MovieKey key = KeyOf(movie);
    const auto found = written.find(key);
    if (found != written.end()) return found->second;

    const std::string path =
        directory.File("movie" + std::to_string(written.size()) + moviegen::KindExtension(movie.kind));
    if (directory.path().empty() || !moviegen::WriteMovie(path, movie, error)) return std::string();
    written.emplace(key, path);
    return path;
}

moviegen::MovieRecipe MovieOf(moviegen::Kind kind, int frames) {
    moviegen::MovieRecipe movie;
    movie.kind = kind;
    movie.width = 320;
    movie.height = 240;
    movie.fpsNum = 25;
    movie.fpsDen = 1;
    movie.frames = frames;
    movie.audio = false;
    return movie;
}
