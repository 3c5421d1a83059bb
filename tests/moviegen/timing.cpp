// Frame and sample times, rounded to nearest as FFmpeg's rescaling does.
#include "moviegen/moviegen.h"

namespace moviegen {
namespace {

// round(value * mul / div) for non-negative values.
int64_t ScaleRounded(int64_t value, int64_t mul, int64_t div) {
  return (value * mul * 2 + div) / (2 * div);
}

}  // namespace

int64_t FrameStart100ns(const MovieRecipe &recipe, int index) {
  return ScaleRounded(index, int64_t{10000000} * recipe.fpsDen, recipe.fpsNum);
}

int64_t MovieDuration100ns(const MovieRecipe &recipe) { return FrameStart100ns(recipe, recipe.frames); }

int64_t AudioSampleCount(const MovieRecipe &recipe) {
  return ScaleRounded(recipe.frames, int64_t{kAudioSampleRate} * recipe.fpsDen, recipe.fpsNum);
}

}  // namespace moviegen
