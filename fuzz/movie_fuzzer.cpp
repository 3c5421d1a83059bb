// libFuzzer target: the input is a movie file that FUZZ_HOST (one of the host
// sequences) plays on the screen mode FUZZ_DISPLAY ("WxHxBITS").
#include <cstddef>
#include <cstdint>

#include <standin/standin.h>

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
    // A freed record's decoder finishes its frame and frees the movie on a
    // thread of the stand-in's. Waited for here, that memory is given back
    // within the input: libFuzzer, finding more allocations than frees in
    // an input, runs it again and scans the whole heap for leaks.
    StandinSettle(2000);
    return 0;
}
