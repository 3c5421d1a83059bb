// Watches decoding throughput into a 32-bit frame surface (the library's
// frame surface on a true-colour screen): synchronous updates of a 320x240
// raw RGB AVI and a 320x240 MPEG-4 AVI, in frames per second.
#include "bench_movies.h"
#include "decode_loop.h"

namespace {

constexpr int kFrames = 100;

void BM_DecodeRawRgbInto32Bit(benchmark::State &state) {
    DecodeFrames(state, MovieOf(moviegen::Kind::RawRgbAvi, kFrames));
}

void BM_DecodeMpeg4Into32Bit(benchmark::State &state) {
    DecodeFrames(state, MovieOf(moviegen::Kind::Mpeg4PcmAvi, kFrames));
}

}  // namespace

BENCHMARK(BM_DecodeRawRgbInto32Bit)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeMpeg4Into32Bit)->UseRealTime()->Unit(benchmark::kMicrosecond);
