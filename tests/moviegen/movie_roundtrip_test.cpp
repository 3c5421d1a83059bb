// Writes every kind of movie and decodes it back with FFmpeg directly.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "decoded_movie.h"
#include "moviegen/moviegen.h"

namespace moviegen {
namespace {

struct Case {
  Kind kind;
  int width, height, fpsNum, fpsDen, frames;
  bool audio;
};

std::string Name(const Case &c) {
  std::string name = std::string(KindName(c.kind)) + "_" + std::to_string(c.width) + "x" +
                     std::to_string(c.height) + "_" + std::to_string(c.fpsNum) + "_" +
                     std::to_string(c.fpsDen) + "_" + std::to_string(c.frames) +
                     (c.audio ? "_audio" : "");
  for (char &ch : name)
    if (ch == '-') ch = '_';
  return name;
}

MovieRecipe RecipeOf(const Case &c) {
  return MovieRecipe{c.kind, c.width, c.height, c.fpsNum, c.fpsDen, c.frames, c.audio};
}

// Mean absolute difference per byte.
double MeanError(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += std::abs(a[i] - b[i]);
  return sum / static_cast<double>(a.size());
}

// The global colour table of a GIF file, 0x00RRGGBB.
std::vector<uint32_t> GifGlobalPalette(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
  std::vector<uint32_t> palette;
  if (bytes.size() < 13 || !(bytes[10] & 0x80)) return palette;
  size_t entries = size_t{2} << (bytes[10] & 7);
  for (size_t i = 0; i < entries && 13 + i * 3 + 2 < bytes.size(); ++i) {
    const unsigned char *p = &bytes[13 + i * 3];
    palette.push_back((uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2]);
  }
  return palette;
}

void PrintTo(const Case &c, std::ostream *out) { *out << Name(c); }

class MoviegenRoundTrip : public testing::TestWithParam<Case> {};

TEST_P(MoviegenRoundTrip, DecodesToTheFramesThatWereWritten) {
  const Case &c = GetParam();
  const MovieRecipe recipe = RecipeOf(c);
  TempDir dir;
  const std::string path = dir.File(std::string("movie") + KindExtension(c.kind));
  std::string error;
  ASSERT_TRUE(WriteMovie(path, recipe, &error)) << error;

  DecodedMovie movie;
  ASSERT_TRUE(DecodeMovie(path, &movie, &error)) << error;
  EXPECT_EQ(movie.width, c.width);
  EXPECT_EQ(movie.height, c.height);
  EXPECT_EQ(av_cmp_q(movie.frameRate, AVRational{c.fpsNum, c.fpsDen}), 0)
      << movie.frameRate.num << "/" << movie.frameRate.den;
  ASSERT_EQ(movie.rgb.size(), static_cast<size_t>(c.frames));

  for (int i = 0; i < c.frames; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    const std::vector<uint8_t> &got = movie.rgb[i];
    EXPECT_EQ(ReadFrameIndex(got.data(), c.width, c.height, static_cast<size_t>(c.width) * 3), i);
    EXPECT_NEAR(movie.start100ns[i], FrameStart100ns(recipe, i), 1);
    std::vector<uint8_t> want = FrameRgb24(recipe, i);
    if (KindIsLossless(c.kind)) {
      EXPECT_TRUE(got == want);
    } else {
      EXPECT_LT(MeanError(got, want), 6.0);
    }
  }

  if (c.kind == Kind::Pal8Avi) {
    const std::array<uint32_t, 256> palette = MoviePalette();
    for (int i = 0; i < c.frames; ++i) {
      ASSERT_EQ(movie.formats[i], AV_PIX_FMT_PAL8) << "frame " << i;
      EXPECT_TRUE(movie.palettes[i] == palette) << "frame " << i;
      EXPECT_TRUE(movie.indices[i] == FrameIndices(recipe, i)) << "frame " << i;
    }
  }
  if (c.kind == Kind::Gif) {
    const std::array<uint32_t, 256> palette = MoviePalette();
    EXPECT_EQ(GifGlobalPalette(path), std::vector<uint32_t>(palette.begin(), palette.end()));
  }

  ASSERT_EQ(movie.hasAudio, c.audio);
  if (!c.audio) return;
  EXPECT_EQ(movie.audioRate, kAudioSampleRate);
  EXPECT_EQ(movie.audioChannels, kAudioChannels);
  const int64_t want = AudioSampleCount(recipe);
  const int64_t got = static_cast<int64_t>(movie.audio.size()) / kAudioChannels;
  if (movie.audioCodec == AV_CODEC_ID_PCM_S16LE) {
    EXPECT_EQ(got, want);
    EXPECT_TRUE(movie.audio == ToneSamples(0, static_cast<int>(want)));
  } else {
    // MP2 comes in frames of 1152 samples; the last one is padded.
    EXPECT_GE(got, want);
    EXPECT_LT(got, want + 1152);
    double energy = 0;
    for (int16_t s : movie.audio) energy += static_cast<double>(s) * s;
    EXPECT_GT(std::sqrt(energy / movie.audio.size()), 500.0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MoviegenRoundTrip,
    testing::Values(Case{Kind::RawRgbAvi, 321, 241, 10, 1, 5, true},
                    Case{Kind::RawRgbAvi, 64, 48, 25, 1, 25, false},
                    Case{Kind::RawRgbAvi, 320, 240, 30000, 1001, 15, false},
                    Case{Kind::Pal8Avi, 321, 241, 25, 1, 25, false},
                    Case{Kind::Pal8Avi, 64, 48, 30, 1, 60, true},
                    Case{Kind::Mpeg4PcmAvi, 320, 240, 25, 1, 50, true},
                    Case{Kind::Mpeg4PcmAvi, 321, 241, 30, 1, 30, true},
                    Case{Kind::Mpeg4PcmAvi, 64, 48, 10, 1, 20, false},
                    Case{Kind::MjpegAvi, 320, 240, 25, 1, 25, true},
                    Case{Kind::MjpegAvi, 321, 241, 10, 1, 5, false},
                    Case{Kind::MjpegAvi, 64, 48, 30000, 1001, 15, true},
                    Case{Kind::Mpeg1Ps, 320, 240, 25, 1, 50, true},
                    Case{Kind::Mpeg1Ps, 321, 241, 30, 1, 15, false},
                    Case{Kind::Mpeg1Ps, 64, 48, 25, 1, 13, true},
                    Case{Kind::Gif, 320, 240, 25, 1, 25, false},
                    Case{Kind::Gif, 321, 241, 10, 1, 20, false},
                    Case{Kind::Gif, 64, 48, 50, 1, 25, false},
                    Case{Kind::H264Mov, 320, 240, 25, 1, 50, true},
                    Case{Kind::H264Mov, 322, 242, 30000, 1001, 15, false},
                    Case{Kind::H264Mov, 64, 48, 30, 1, 30, true}),
    [](const testing::TestParamInfo<Case> &info) { return Name(info.param); });

}  // namespace
}  // namespace moviegen
