#include "movie_set.h"

#include <sstream>

namespace {

TestMovie Make(const char *name, moviegen::Kind kind, int frames, bool audio) {
    TestMovie movie;
    movie.name = name;
    movie.recipe.kind = kind;
    movie.recipe.width = 160;
    movie.recipe.height = 120;
    movie.recipe.fpsNum = 25;
    movie.recipe.fpsDen = 1;
    movie.recipe.frames = frames;
    movie.recipe.audio = audio;
    return movie;
}

std::string &Directory() {
    static std::string directory = ".";
    return directory;
}

}  // namespace

const TestMovie &RawMovie() {
    static const TestMovie movie = Make("raw.avi", moviegen::Kind::RawRgbAvi, 25, false);
    return movie;
}

const TestMovie &MjpegMovie() {
    static const TestMovie movie = Make("mjpeg.avi", moviegen::Kind::MjpegAvi, 10, false);
    return movie;
}

const TestMovie &SoundMovie() {
    static const TestMovie movie = Make("mpeg4-sound.avi", moviegen::Kind::Mpeg4PcmAvi, 10, true);
    return movie;
}

const TestMovie &PalettedMovie() {
    static const TestMovie movie = Make("pal8.avi", moviegen::Kind::Pal8Avi, 10, false);
    return movie;
}

const std::vector<TestMovie> &AllTestMovies() {
    static const std::vector<TestMovie> movies = {RawMovie(), MjpegMovie(), SoundMovie(), PalettedMovie()};
    return movies;
}

const std::vector<TestMovie> &PicturedMovies() {
    static const std::vector<TestMovie> movies = {RawMovie(), MjpegMovie(), SoundMovie()};
    return movies;
}

void PrintTo(const TestMovie &movie, std::ostream *out) { *out << movie.name; }

std::string TestMovieName(const TestMovie &movie) {
    std::string name = movie.name.substr(0, movie.name.find('.'));
    for (char &c : name)
        if (c == '-') c = '_';
    return name;
}

std::string MoviegenArguments(const TestMovie &movie) {
    const moviegen::MovieRecipe &r = movie.recipe;
    std::ostringstream args;
    args << "--kind " << moviegen::KindName(r.kind) << " --size " << r.width << 'x' << r.height << " --fps "
         << r.fpsNum << '/' << r.fpsDen << " --frames " << r.frames << (r.audio ? " --audio" : " --no-audio");
    return args.str();
}

void SetMovieDirectory(const std::string &directory) { Directory() = directory; }

const std::string &MovieDirectory() { return Directory(); }

std::string MoviePath(const std::string &name) { return Directory() + "\\" + name; }
