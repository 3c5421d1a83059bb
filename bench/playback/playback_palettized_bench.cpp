// Unpaced playback on an 8-bit screen against the plain libav loop: a
// 640x480 pal8 movie and an MPEG-4 movie mapped to the fixed palette, goal
// 0.8 of libav's rate, no allocation per frame.
#include "playback_ratio.h"

namespace {

constexpr double kGoal = 0.8;

void BM_PlaybackVsLibavPal8(benchmark::State &state) {
    ComparePlayback(state, moviegen::Kind::Pal8Avi, ReferenceTarget::Pal8, kGoal);
}

void BM_PlaybackVsLibavMpeg4(benchmark::State &state) {
    ComparePlayback(state, moviegen::Kind::Mpeg4PcmAvi, ReferenceTarget::Bgr8, kGoal);
}

}  // namespace

BENCHMARK(BM_PlaybackVsLibavPal8)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaybackVsLibavMpeg4)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
