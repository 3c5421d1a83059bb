// The audio track: a soft bell arpeggio, each note half a second long.
#include <cmath>

#include "moviegen/moviegen.h"

namespace moviegen {

std::vector<int16_t> ToneSamples(int64_t first, int count) {
  // C5 E5 G5 C6 G5 E5, round and round.
  static const double kNotes[] = {523.25, 659.26, 783.99, 1046.50, 783.99, 659.26};
  constexpr int kNoteSamples = kAudioSampleRate / 2;
  constexpr double kPi = 3.14159265358979323846;
  static_assert(kAudioChannels == 2, "the tone is written as a left and a right channel");
  std::vector<int16_t> out(static_cast<size_t>(count > 0 ? count : 0) * kAudioChannels);
  for (int i = 0; i < count; ++i) {
    int64_t n = first + i;
    double f = kNotes[(n / kNoteSamples) % 6];
    double t = static_cast<double>(n % kNoteSamples) / kAudioSampleRate;
    double left = static_cast<double>(kNoteSamples - n % kNoteSamples) / kAudioSampleRate;
    // 5 ms attack, exponential decay, 10 ms release so notes join without clicks.
    double envelope = std::exp(-4.0 * t) * std::fmin(1.0, t / 0.005) * std::fmin(1.0, left / 0.01);
    double fundamental = std::sin(2 * kPi * f * t);
    double overtone = std::sin(4 * kPi * f * t);
    double l = 0.25 * envelope * (fundamental + 0.25 * overtone);
    double r = 0.20 * envelope * (fundamental + 0.40 * overtone);  // a touch brighter
    out[static_cast<size_t>(i) * 2] = static_cast<int16_t>(std::lround(l * 32767));
    out[static_cast<size_t>(i) * 2 + 1] = static_cast<int16_t>(std::lround(r * 32767));
  }
  return out;
}

int64_t BeepDelay(const MovieRecipe &recipe) {
  if (recipe.kind != Kind::Mpeg4PcmAvi) return 0;
  MovieRecipe oneFrame = recipe;
  oneFrame.frames = 1;
  return AudioSampleCount(oneFrame);
}

std::vector<int16_t> BeepSamples(int64_t first, int count, int64_t delay) {
  constexpr double kPi = 3.14159265358979323846;
  std::vector<int16_t> out(static_cast<size_t>(count > 0 ? count : 0) * kAudioChannels);
  for (int i = 0; i < count; ++i) {
    const int64_t n = ((first + i - delay) % kAudioSampleRate + kAudioSampleRate) % kAudioSampleRate;
    if (n >= kBeepSamples) continue;
    const auto value = static_cast<int16_t>(std::lround(16000 * std::cos(2 * kPi * 1000.0 * n / kAudioSampleRate)));
    for (int c = 0; c < kAudioChannels; ++c) out[static_cast<size_t>(i) * kAudioChannels + c] = value;
  }
  return out;
}

}  // namespace moviegen
