// libFuzzer target: the input is a movie file played through the multimedia
// stream on the screen mode FUZZ_DISPLAY ("WxHxBITS").
#include <cstddef>
#include <cstdint>

#include "host_environment.h"
#include "movie_bytes_file.h"
#include "stream_host.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzzhost::UseHostEnvironment(FUZZ_DISPLAY);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const fuzzhost::MovieBytesFile movie(data, size);
    if (!movie.path().empty()) fuzzhost::PlayThroughStream(movie.path());
    return 0;
}
