// libFuzzer target: the input is a movie file that FUZZ_HOST (one of the host
// sequences) plays on the screen mode FUZZ_DISPLAY ("WxHxBITS").
#include <cstddef>
#include <cstdint>

#include "host_environment.h"
#include "hosts.h"
#include "movie_bytes_file.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzzhost::UseHostEnvironment(FUZZ_DISPLAY);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const fuzzhost::MovieBytesFile movie(data, size);
    if (!movie.path().empty()) fuzzhost::FUZZ_HOST(movie.path());
    return 0;
}
