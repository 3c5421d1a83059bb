// Names and properties of the movie kinds, and which recipes each accepts.
#include "moviegen/moviegen.h"

#include "moviegen/code_layout.h"

namespace moviegen {

const std::vector<Kind> &AllKinds() {
  static const std::vector<Kind> kinds = {Kind::RawRgbAvi, Kind::Pal8Avi, Kind::Mpeg4PcmAvi,
                                          Kind::MjpegAvi,  Kind::Mpeg1Ps, Kind::Gif,
                                          Kind::H264Mov};
  return kinds;
}

const char *KindName(Kind kind) {
  switch (kind) {
    case Kind::RawRgbAvi: return "raw-rgb";
    case Kind::Pal8Avi: return "pal8";
    case Kind::Mpeg4PcmAvi: return "mpeg4-pcm";
    case Kind::MjpegAvi: return "mjpeg";
    case Kind::Mpeg1Ps: return "mpeg1";
    case Kind::Gif: return "gif";
    case Kind::H264Mov: return "h264";
  }
  return "?";
}

bool ParseKind(const std::string &name, Kind *kind) {
  for (Kind k : AllKinds()) {
    if (name == KindName(k)) {
      *kind = k;
      return true;
    }
  }
  return false;
}

const char *KindExtension(Kind kind) {
  switch (kind) {
    case Kind::Mpeg1Ps: return ".mpg";
    case Kind::Gif: return ".gif";
    case Kind::H264Mov: return ".mov";
    default: return ".avi";
  }
}

bool KindIsLossless(Kind kind) {
  return kind == Kind::RawRgbAvi || kind == Kind::Pal8Avi || kind == Kind::Gif;
}

bool KindIsPaletted(Kind kind) { return kind == Kind::Pal8Avi || kind == Kind::Gif; }

bool KindHasAudio(Kind kind) { return kind != Kind::Gif; }

namespace {

// The rates an MPEG-1 sequence header can name.
bool IsMpeg1Rate(int num, int den) {
  static const int rates[][2] = {{24000, 1001}, {24, 1},       {25, 1}, {30000, 1001},
                                 {30, 1},       {50, 1},       {60000, 1001}, {60, 1}};
  for (const auto &r : rates) {
    if (int64_t{num} * r[1] == int64_t{den} * r[0]) return true;
  }
  return false;
}

}  // namespace

std::string CheckRecipe(const MovieRecipe &recipe) {
  if (recipe.width < kMinWidth || recipe.height < kMinHeight)
    return "the frame must be at least " + std::to_string(kMinWidth) + "x" +
           std::to_string(kMinHeight);
  if (recipe.width > 4095 || recipe.height > 4095) return "the frame must be under 4096x4096";
  if (recipe.fpsNum <= 0 || recipe.fpsDen <= 0) return "the frame rate must be positive";
  if (recipe.frames < 1 || recipe.frames > kMaxFrameIndex + 1)
    return "the movie must have 1 to " + std::to_string(kMaxFrameIndex + 1) + " frames";
  if (recipe.audio && !KindHasAudio(recipe.kind))
    return std::string(KindName(recipe.kind)) + " movies have no audio";
  if (recipe.kind == Kind::Mpeg1Ps && !IsMpeg1Rate(recipe.fpsNum, recipe.fpsDen))
    return "MPEG-1 needs a standard frame rate (24, 25, 30, 50, 60 or an NTSC rate)";
  // GIF frame delays are whole centiseconds.
  if (recipe.kind == Kind::Gif && (int64_t{100} * recipe.fpsDen) % recipe.fpsNum != 0)
    return "a GIF frame time must be a whole number of centiseconds";
  // x264 takes 4:2:0 pictures only of even sides.
  if (recipe.kind == Kind::H264Mov && (recipe.width % 2 != 0 || recipe.height % 2 != 0))
    return "H.264 frames need even sides";
  return {};
}

}  // namespace moviegen
