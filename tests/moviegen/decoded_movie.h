// Test-only: a movie decoded straight through libavformat/libavcodec, so
// the generator's output is checked by FFmpeg rather than by itself.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace moviegen {

struct DecodedMovie {
  int width = 0;
  int height = 0;
  AVRational frameRate{0, 1};  // the stream's average rate as the demuxer sees it
  AVCodecID videoCodec = AV_CODEC_ID_NONE;
  // One entry per decoded frame, in presentation order.
  std::vector<std::vector<uint8_t>> rgb;  // R,G,B, rows packed
  std::vector<int64_t> start100ns;        // from the first frame's timestamp
  int untimedFrames = 0;                  // frames that came without a timestamp
  std::vector<AVPixelFormat> formats;
  std::vector<std::vector<uint8_t>> indices;          // PAL8 frames only
  std::vector<std::array<uint32_t, 256>> palettes;    // PAL8 frames only, 0x00RRGGBB
  bool hasAudio = false;
  AVCodecID audioCodec = AV_CODEC_ID_NONE;
  int audioRate = 0;
  int audioChannels = 0;
  std::vector<int16_t> audio;  // interleaved
};

// Decodes every frame of the best video stream (and of the best audio
// stream, if any). False when there is no decodable video.
bool DecodeMovie(const std::string &path, DecodedMovie *movie, std::string *error);

}  // namespace moviegen
