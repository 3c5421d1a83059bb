// Writes the fuzz targets' seed corpus: a tiny movie of every kind the test
// generator makes, bare MPEG elementary streams, movies that change size,
// palette or sound on the way, sound alone, and broken files.
//   fuzz_corpus_writer DIR   (made when missing)
#include <cstdio>
#include <filesystem>
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
const Seed kRawRgb = {"raw-rgb.avi", Kind::RawRgbAvi, 64, 48, 3, false};
const Seed kPal8 = {"pal8.avi", Kind::Pal8Avi, 64, 48, 5, false};
const Seed kMpeg4Pcm = {"mpeg4-pcm.avi", Kind::Mpeg4PcmAvi, 64, 48, 8, true};
const Seed kMpeg4Bare = {"mpeg4.m4v", Kind::Mpeg4PcmAvi, 64, 48, 8, false};
const Seed kMjpegPcm = {"mjpeg-pcm.avi", Kind::MjpegAvi, 64, 48, 4, true};
const Seed kMpeg1Mp2 = {"mpeg1-mp2.mpg", Kind::Mpeg1Ps, 64, 48, 8, true};
const Seed kMpeg1Bare = {"mpeg1.m1v", Kind::Mpeg1Ps, 64, 48, 8, false};
const Seed kGif = {"anim.gif", Kind::Gif, 64, 48, 4, false};
const Seed kSeeds[] = {kRawRgb, kPal8, kMpeg4Pcm, kMpeg4Bare, kMjpegPcm, kMpeg1Mp2, kMpeg1Bare, kGif};

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

using Writer = std::function<bool(const std::string &path, std::string *error)>;

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_corpus_writer DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code made;
    std::filesystem::create_directories(dir, made);
    const auto file = [&dir](const std::string &name) { return dir + "/" + name; };
    // In order: later seeds are made from earlier ones.
    std::vector<std::pair<std::string, Writer>> writers;
    for (const Seed &seed : kSeeds)
        writers.emplace_back(seed.name, [seed](const std::string &path, std::string *error) {
            return moviegen::WriteMovie(path, RecipeOf(seed), error);
        });
    // Movies that change on the way.
    writers.emplace_back("mpeg1-size-change.m1v", [](const std::string &path, std::string *error) {
        MovieRecipe wide = RecipeOf(kMpeg1Bare);
        wide.width = 96;
        wide.height = 64;
        return moviegen::WriteSizeChange(path, RecipeOf(kMpeg1Bare), wide, error);
    });
    writers.emplace_back("pal8-palette-change.avi", [](const std::string &path, std::string *error) {
        return moviegen::WritePaletteChange(path, RecipeOf(kPal8), 2, error);
    });
    writers.emplace_back("mpeg1-mp2-channel-change.mpg", [](const std::string &path, std::string *error) {
        return moviegen::WriteChannelChange(path, RecipeOf(kMpeg1Mp2), 4, error);
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
    for (const char *source : {kMpeg4Pcm.name, kMpeg1Mp2.name})
        writers.emplace_back(std::string("cut-") + source, [&file, source](const std::string &path, std::string *error) {
            return moviegen::WriteTruncated(file(source), path, 0.5, error);
        });
    writers.emplace_back("garbage", [](const std::string &path, std::string *error) {
        return moviegen::WriteGarbage(path, 512, 7, error);
    });
    writers.emplace_back("mpeg4-pcm-garbage-run.avi", [&file](const std::string &path, std::string *error) {
        return moviegen::WriteGarbageRun(file(kMpeg4Pcm.name), path, 0.5, 2048, 7, error);
    });
    // Headers that claim more pixels than any frame may have, and many.
    writers.emplace_back("raw-rgb-claims-100000x100000.avi", [&file](const std::string &path, std::string *error) {
        return moviegen::WriteClaimedFrameSize(file(kRawRgb.name), path, 100000, 100000, error);
    });
    writers.emplace_back("mjpeg-claims-1920x1080.avi", [&file](const std::string &path, std::string *error) {
        return moviegen::WriteClaimedFrameSize(file(kMjpegPcm.name), path, 1920, 1080, error);
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
