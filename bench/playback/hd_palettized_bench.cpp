// Unpaced playback of a 1080p H.264 movie on an 8-bit screen (mapped to the
// fixed palette) against the plain libav loop's bgr8: goal 0.8 of libav's
// rate, no allocation per frame.
#include "playback_ratio.h"

namespace {

constexpr double kGoal = 0.8;

void BM_PlaybackVsLibavH264_1080p(benchmark::State &state) {
    ComparePlayback(state, PlaybackMovieSpec{moviegen::Kind::H264Mov, 1920, 1080, 75}, ReferenceTarget::Bgr8, kGoal);
}

}  // namespace

BENCHMARK(BM_PlaybackVsLibavH264_1080p)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
