// Writes the fuzz targets' seed corpus: a tiny movie of every kind the test
// generator makes, bare MPEG elementary streams, sound alone, and broken
// files.
//   fuzz_corpus_writer DIR
#include <cstdio>
#include <fstream>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "moviegen/moviegen.h"

namespace {

using moviegen::Kind;
using moviegen::MovieRecipe;

struct Seed {
    const char *name;  // the extension picks the container
    Kind kind;
    int width, height, frames;
    bool audio;
};

// Small frames and few of them keep each seed a few kilobytes, so that the
// fuzzer mutates them quickly.
const Seed kSeeds[] = {
    {"raw-rgb.avi", Kind::RawRgbAvi, 64, 48, 3, false},
    {"pal8.avi", Kind::Pal8Avi, 64, 48, 5, false},
    {"mpeg4-pcm.avi", Kind::Mpeg4PcmAvi, 64, 48, 8, true},
    {"mpeg4.m4v", Kind::Mpeg4PcmAvi, 64, 48, 8, false},
    {"mjpeg-pcm.avi", Kind::MjpegAvi, 64, 48, 4, true},
    {"mpeg1-mp2.mpg", Kind::Mpeg1Ps, 64, 48, 8, true},
    {"mpeg1.m1v", Kind::Mpeg1Ps, 64, 48, 8, false},
    {"mpeg1-wide.m1v", Kind::Mpeg1Ps, 96, 64, 4, false},
    {"anim.gif", Kind::Gif, 64, 48, 4, false},
};

MovieRecipe RecipeOf(const Seed &seed) {
    MovieRecipe recipe;
    recipe.kind = seed.kind;
    recipe.width = seed.width;
    recipe.height = seed.height;
    recipe.frames = seed.frames;
    recipe.fpsNum = 25;
    recipe.audio = seed.audio;
    return recipe;
}

bool Append(const std::string &from, std::ofstream &to) {
    std::ifstream in(from, std::ios::binary);
    return in && (to << in.rdbuf());
}

// Two MPEG-1 sequences of different sizes one after the other: the frame
// size changes in the middle of the stream.
bool WriteTwoSizes(const std::string &first, const std::string &second, const std::string &path,
                   std::string *error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out && Append(first, out) && Append(second, out) && out.flush()) return true;
    *error = "cannot join " + first + " and " + second;
    return false;
}

using Writer = std::function<bool(const std::string &path, std::string *error)>;

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_corpus_writer DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    const auto file = [&dir](const std::string &name) { return dir + "/" + name; };
    // In order: later seeds are made from earlier ones.
    std::vector<std::pair<std::string, Writer>> writers;
    for (const Seed &seed : kSeeds)
        writers.emplace_back(seed.name, [seed](const std::string &path, std::string *error) {
            return moviegen::WriteMovie(path, RecipeOf(seed), error);
        });
    writers.emplace_back("mpeg1-two-sizes.m1v", [&](const std::string &path, std::string *error) {
        return WriteTwoSizes(file("mpeg1.m1v"), file("mpeg1-wide.m1v"), path, error);
    });
    writers.emplace_back("tone.wav", [](const std::string &path, std::string *error) {
        return moviegen::WriteAudioOnly(path, 0.2, error);
    });
    writers.emplace_back("tone.avi", [](const std::string &path, std::string *error) {
        return moviegen::WriteAudioOnly(path, 0.2, error);
    });
    writers.emplace_back("empty", [](const std::string &path, std::string *error) {
        return moviegen::WriteZeroLength(path, error);
    });
    for (const char *source : {"mpeg4-pcm.avi", "mpeg1-mp2.mpg"})
        writers.emplace_back(std::string("cut-") + source, [&file, source](const std::string &path, std::string *error) {
            return moviegen::WriteTruncated(file(source), path, 0.5, error);
        });
    writers.emplace_back("garbage", [](const std::string &path, std::string *error) {
        return moviegen::WriteGarbage(path, 512, 7, error);
    });

    bool ok = true;
    for (const auto &[name, write] : writers) {
        std::string error;
        if (!write(file(name), &error)) {
            std::fprintf(stderr, "fuzz_corpus_writer: %s: %s\n", file(name).c_str(), error.c_str());
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
