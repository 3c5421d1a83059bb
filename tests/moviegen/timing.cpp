// Frame and sample times, rounded to nearest as FFmpeg's rescaling does.
#include "moviegen/moviegen.h"

namespace moviegen {
namespace {

// round(value * mul / div) for non-negative values.
int64_t ScaleRounded(int64_t value, int64_t mul, int64_t div) {
  return (value * mul * 2 + div) / (2 * div);
}

}  // namespace

int64_t FrameStart100ns(const MovieSpec &spec, int index) {
  return ScaleRounded(index, int64_t{10000000} * spec.fpsDen, spec.fpsNum);
}

int64_t MovieDuration100ns(const MovieSpec &spec) { return FrameStart100ns(spec, spec.frames); }

int64_t AudioSampleCount(const MovieSpec &spec) {
  return ScaleRounded(spec.frames, int64_t{kAudioSampleRate} * spec.fpsDen, spec.fpsNum);
}

}  // namespace moviegen
