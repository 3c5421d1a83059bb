#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "moviegen/moviegen.h"

namespace moviegen {
namespace {

MovieRecipe Rate(int num, int den, int frames) {
  MovieRecipe recipe;
  recipe.fpsNum = num;
  recipe.fpsDen = den;
  recipe.frames = frames;
  return recipe;
}

TEST(MoviegenTiming, FrameStartsAreWholeFramesAt25Fps) {
  MovieRecipe recipe = Rate(25, 1, 50);
  EXPECT_EQ(FrameStart100ns(recipe, 0), 0);
  EXPECT_EQ(FrameStart100ns(recipe, 1), 400000);
  EXPECT_EQ(FrameStart100ns(recipe, 49), 49 * 400000);
  EXPECT_EQ(MovieDuration100ns(recipe), 20000000);
}

TEST(MoviegenTiming, NtscFrameStartsRoundToNearest) {
  MovieRecipe recipe = Rate(30000, 1001, 30);
  EXPECT_EQ(FrameStart100ns(recipe, 1), 333667);  // 333666.67
  EXPECT_EQ(FrameStart100ns(recipe, 2), 667333);  // 667333.33
  EXPECT_EQ(FrameStart100ns(recipe, 3), 1001000);
  EXPECT_EQ(MovieDuration100ns(recipe), 10010000);
}

// Flash movies: a white frame and a beep's peak on the same instants, the
// beeps later by the delay a player shows MPEG-4 AVI frames with.
TEST(MoviegenTiming, FlashesAndBeepsMarkTheWholeSeconds) {
  MovieRecipe recipe = Rate(25, 1, 100);
  recipe.flashes = true;
  for (int i = 0; i < 100; ++i) EXPECT_EQ(FrameIsFlash(recipe, i), i % 25 == 0) << i;
  EXPECT_EQ(FrameRgb24(recipe, 25)[0], 255);
  EXPECT_EQ(FrameRgb24(recipe, 26)[0], 0);

  recipe.kind = Kind::Mpeg4PcmAvi;
  const int64_t delay = BeepDelay(recipe);
  EXPECT_EQ(delay, kAudioSampleRate / 25);
  const std::vector<int16_t> beeps = BeepSamples(0, 2 * kAudioSampleRate, delay);
  auto left = [&](int64_t n) { return beeps[static_cast<size_t>(n) * kAudioChannels]; };
  for (int64_t second : {int64_t{0}, int64_t{kAudioSampleRate}}) {
    EXPECT_EQ(left(second + delay - 1), 0);
    EXPECT_EQ(left(second + delay), 16000);
    EXPECT_NE(left(second + delay + kBeepSamples - 2), 0);
    EXPECT_EQ(left(second + delay + kBeepSamples), 0);
  }
  recipe.kind = Kind::MjpegAvi;
  EXPECT_EQ(BeepDelay(recipe), 0);
}

TEST(MoviegenTiming, AudioCoversTheMovie) {
  EXPECT_EQ(AudioSampleCount(Rate(25, 1, 50)), 2 * kAudioSampleRate);
  EXPECT_EQ(AudioSampleCount(Rate(10, 1, 5)), kAudioSampleRate / 2);
  EXPECT_EQ(AudioSampleCount(Rate(30, 1, 1)), 735);
}

TEST(MoviegenTone, DependsOnlyOnTheSampleNumber) {
  std::vector<int16_t> whole = ToneSamples(0, 3000);
  std::vector<int16_t> part = ToneSamples(1000, 500);
  ASSERT_EQ(whole.size(), 3000u * kAudioChannels);
  ASSERT_EQ(part.size(), 500u * kAudioChannels);
  EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin() + 1000 * kAudioChannels));
}

TEST(MoviegenTone, IsAudibleAndQuiet) {
  std::vector<int16_t> tone = ToneSamples(0, 2 * kAudioSampleRate);
  int peak = 0;
  bool channelsDiffer = false;
  for (size_t i = 0; i < tone.size(); i += 2) {
    peak = std::max({peak, std::abs(int{tone[i]}), std::abs(int{tone[i + 1]})});
    if (tone[i] != tone[i + 1]) channelsDiffer = true;
  }
  EXPECT_GT(peak, 4000);
  EXPECT_LT(peak, 16000);
  EXPECT_TRUE(channelsDiffer);
}

TEST(MoviegenTone, NotesJoinWithoutAClick) {
  // A new note starts every half second; a cut-off note would jump there.
  for (int64_t boundary = kAudioSampleRate / 2; boundary <= 3 * kAudioSampleRate;
       boundary += kAudioSampleRate / 2) {
    std::vector<int16_t> around = ToneSamples(boundary - 1, 2);
    for (int c = 0; c < kAudioChannels; ++c) {
      EXPECT_LT(std::abs(around[c]), 100) << "before sample " << boundary;
      EXPECT_LT(std::abs(around[kAudioChannels + c]), 100) << "at sample " << boundary;
    }
  }
}

}  // namespace
}  // namespace moviegen
