// moviegen: writes a test movie whose pixels tell the frame number.
//   moviegen --kind mpeg4-pcm --size 320x240 --fps 25 --seconds 2 out.avi
#include <getopt.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "moviegen/moviegen.h"

namespace {

void Usage(FILE *to) {
  std::fprintf(to,
               "usage: moviegen [options] OUTPUT\n"
               "  --kind KIND      raw-rgb, pal8, mpeg4-pcm, mjpeg, mpeg1, gif or h264 (default raw-rgb)\n"
               "  --size WxH       frame size (default 320x240)\n"
               "  --fps N[/D]      frame rate (default 25)\n"
               "  --seconds S      length (default 2); the movie has round(fps*S) frames\n"
               "  --frames N       exact number of frames instead of --seconds\n"
               "  --audio          add the tone (default for mpeg4-pcm)\n"
               "  --no-audio       leave the tone out\n"
               "  --help\n");
}

bool ParseSize(const char *text, int *width, int *height) {
  char tail = 0;
  return std::sscanf(text, "%dx%d%c", width, height, &tail) == 2;
}

bool ParseRate(const char *text, int *num, int *den) {
  char tail = 0;
  *den = 1;
  int fields = std::sscanf(text, "%d/%d%c", num, den, &tail);
  return fields == 1 || fields == 2;
}

bool ParseNumber(const char *text, double *value) {
  char *end = nullptr;
  *value = std::strtod(text, &end);
  return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char **argv) {
  enum { kKind = 1, kSize, kFps, kSeconds, kFrames, kAudio, kNoAudio, kHelp };
  static const option options[] = {
      {"kind", required_argument, nullptr, kKind},     {"size", required_argument, nullptr, kSize},
      {"fps", required_argument, nullptr, kFps},       {"seconds", required_argument, nullptr, kSeconds},
      {"frames", required_argument, nullptr, kFrames}, {"audio", no_argument, nullptr, kAudio},
      {"no-audio", no_argument, nullptr, kNoAudio},    {"help", no_argument, nullptr, kHelp},
      {nullptr, 0, nullptr, 0}};
  moviegen::MovieRecipe recipe;
  double seconds = 2.0, frames = -1;
  int audio = -1;  // -1: the kind's default
  for (int opt; (opt = getopt_long(argc, argv, "", options, nullptr)) != -1;) {
    bool ok = true;
    switch (opt) {
      case kKind: ok = moviegen::ParseKind(optarg, &recipe.kind); break;
      case kSize: ok = ParseSize(optarg, &recipe.width, &recipe.height); break;
      case kFps: ok = ParseRate(optarg, &recipe.fpsNum, &recipe.fpsDen); break;
      case kSeconds: ok = ParseNumber(optarg, &seconds) && seconds > 0; break;
      case kFrames: ok = ParseNumber(optarg, &frames) && frames >= 1 && frames == std::floor(frames); break;
      case kAudio: audio = 1; break;
      case kNoAudio: audio = 0; break;
      case kHelp: Usage(stdout); return 0;
      default: Usage(stderr); return 2;
    }
    if (!ok) {
      std::fprintf(stderr, "moviegen: bad value for --%s: %s\n", options[opt - 1].name, optarg);
      return 2;
    }
  }
  if (optind != argc - 1) {
    Usage(stderr);
    return 2;
  }
  recipe.frames = frames > 0 ? static_cast<int>(frames)
                           : static_cast<int>(std::lround(seconds * recipe.fpsNum / recipe.fpsDen));
  recipe.audio = audio >= 0 ? audio == 1 : recipe.kind == moviegen::Kind::Mpeg4PcmAvi;
  std::string error;
  if (!moviegen::WriteMovie(argv[optind], recipe, &error)) {
    std::fprintf(stderr, "moviegen: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
