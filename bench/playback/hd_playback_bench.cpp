// Unpaced playback of H.264 movies of 720p, 1080p and 2160p on a 32-bit
// screen against the plain libav loop: goal 0.9 of libav's rate, no
// allocation per frame. The movies are short: x264 writes them at start-up.
#include "playback_ratio.h"

namespace {

constexpr double kGoal = 0.9;

void BM_PlaybackVsLibavH264_720p(benchmark::State &state) {
    ComparePlayback(state, PlaybackMovieSpec{moviegen::Kind::H264Mov, 1280, 720, 100}, ReferenceTarget::Bgr0, kGoal);
}

void BM_PlaybackVsLibavH264_1080p(benchmark::State &state) {
    ComparePlayback(state, PlaybackMovieSpec{moviegen::Kind::H264Mov, 1920, 1080, 75}, ReferenceTarget::Bgr0, kGoal);
}

void BM_PlaybackVsLibavH264_2160p(benchmark::State &state) {
    ComparePlayback(state, PlaybackMovieSpec{moviegen::Kind::H264Mov, 3840, 2160, 50}, ReferenceTarget::Bgr0, kGoal);
}

}  // namespace

// One pass: the counters are the result, not the time.
BENCHMARK(BM_PlaybackVsLibavH264_720p)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaybackVsLibavH264_1080p)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaybackVsLibavH264_2160p)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
