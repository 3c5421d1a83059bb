// Watches decoding throughput into an 8-bit frame surface on a palettized
// screen: a true-colour MPEG-4 movie (the cost of mapping every pixel to the
// fixed 256-colour palette) and a pal8 movie (indices copied as they are),
// both 320x240, in frames per second.
#include "bench_movies.h"
#include "decode_loop.h"

namespace {

constexpr int kFrames = 100;

void BM_DecodeMpeg4Into8BitFixedPalette(benchmark::State &state) {
    DecodeFrames(state, MovieOf(moviegen::Kind::Mpeg4PcmAvi, kFrames));
}

void BM_DecodePal8Into8Bit(benchmark::State &state) {
    DecodeFrames(state, MovieOf(moviegen::Kind::Pal8Avi, kFrames));
}

}  // namespace

BENCHMARK(BM_DecodeMpeg4Into8BitFixedPalette)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodePal8Into8Bit)->UseRealTime()->Unit(benchmark::kMicrosecond);
