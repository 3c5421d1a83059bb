// Unpaced playback on a 32-bit screen against the plain libav loop: 640x480
// MPEG-4 and MPEG-1, goal 0.9 of libav's rate, no allocation per frame.
#include "playback_ratio.h"

namespace {

constexpr double kGoal = 0.9;

void BM_PlaybackVsLibavMpeg4(benchmark::State &state) {
    ComparePlayback(state, moviegen::Kind::Mpeg4PcmAvi, ReferenceTarget::Bgr0, kGoal);
}

void BM_PlaybackVsLibavMpeg1(benchmark::State &state) {
    ComparePlayback(state, moviegen::Kind::Mpeg1Ps, ReferenceTarget::Bgr0, kGoal);
}

}  // namespace

// One pass: the counters are the result, not the time.
BENCHMARK(BM_PlaybackVsLibavMpeg4)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaybackVsLibavMpeg1)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
