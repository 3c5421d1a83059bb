// Plays saved inputs the way the fuzz targets do, without libFuzzer, so that
// the ordinary and the sanitizer builds check every input that once crashed.
//   fuzz_replay WxHxBITS PATH...   (a PATH that is a folder: each file in it)
#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "host_environment.h"
#include "hosts.h"
#include "movie_bytes_file.h"

namespace fs = std::filesystem;

namespace {

// Notes beside the inputs (a folder's README) are not inputs.
bool IsInput(const fs::path &path) { return path.extension() != ".md" && path.filename().string()[0] != '.'; }

bool CollectInputs(const fs::path &path, std::vector<fs::path> *inputs) {
    std::error_code error;
    if (fs::is_regular_file(path, error)) {
        inputs->push_back(path);
        return true;
    }
    if (!fs::is_directory(path, error)) return false;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(path, error))
        if (entry.is_regular_file() && IsInput(entry.path())) inputs->push_back(entry.path());
    return !error;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: fuzz_replay WxHxBITS PATH...\n");
        return 2;
    }
    fuzzhost::UseHostEnvironment(argv[1]);
    std::vector<fs::path> inputs;
    for (int i = 2; i < argc; ++i) {
        if (!CollectInputs(argv[i], &inputs)) {
            std::fprintf(stderr, "fuzz_replay: cannot read %s\n", argv[i]);
            return 2;
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path &input : inputs) {
        std::vector<uint8_t> bytes;
        if (!fuzzhost::ReadFileBytes(input.string(), &bytes)) {
            std::fprintf(stderr, "fuzz_replay: cannot read %s\n", input.c_str());
            return 2;
        }
        std::printf("%s:", input.c_str());
        const fuzzhost::MovieBytesFile movie(bytes.data(), bytes.size());
        if (movie.path().empty()) {
            std::fprintf(stderr, "fuzz_replay: cannot write a temporary copy of %s\n", input.c_str());
            return 2;
        }
        for (const fuzzhost::Host &host : fuzzhost::AllHosts()) {
            std::printf(" %s", host.name);
            std::fflush(stdout);  // the host shows even if it crashes
            const fuzzhost::PlayOutcome outcome = host.play(movie.path());
            std::printf(" (open 0x%08x, %d updates, %d ends)", static_cast<unsigned>(outcome.opened),
                        outcome.updates, outcome.ends);
        }
        std::printf("\n");
    }
    std::printf("%zu inputs played\n", inputs.size());
    return 0;
}
