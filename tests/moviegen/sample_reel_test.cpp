// The bundled sample movie is what samples/README.md says it is.
#include <gtest/gtest.h>

#include "decoded_movie.h"
#include "moviegen/moviegen.h"

namespace moviegen {
namespace {

TEST(MoviegenSample, ReelShowsEveryFrameInOrderWithSound) {
  DecodedMovie movie;
  std::string error;
  ASSERT_TRUE(DecodeMovie(VIDSURF_SAMPLES_DIR "/reel.avi", &movie, &error)) << error;
  EXPECT_EQ(movie.videoCodec, AV_CODEC_ID_MPEG4);
  EXPECT_EQ(movie.width, 320);
  EXPECT_EQ(movie.height, 240);
  EXPECT_EQ(av_cmp_q(movie.frameRate, AVRational{25, 1}), 0);
  ASSERT_EQ(movie.rgb.size(), 100u);
  for (int i = 0; i < 100; ++i)
    EXPECT_EQ(ReadFrameIndex(movie.rgb[i].data(), 320, 240, 320 * 3), i);
  EXPECT_TRUE(movie.hasAudio);
  EXPECT_EQ(movie.audioCodec, AV_CODEC_ID_PCM_S16LE);
  EXPECT_EQ(movie.audio.size(), size_t{4} * kAudioSampleRate * kAudioChannels);
}

}  // namespace
}  // namespace moviegen
