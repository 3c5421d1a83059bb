// Opening the decoder of a movie's video stream, with the threading and
// the frame size the stand-in takes.
#pragma once

#include <cstdint>

#include <windows.h>

struct AVCodecContext;
struct AVStream;

namespace standin::mmstream {

// The largest frames the stand-in takes: a side of 16384 pixels, and 256 MiB
// for a frame of 32-bit pixels.
constexpr int64_t kMaxFrameSide = 16384;
constexpr int64_t kMaxFramePixels = (int64_t{256} << 20) / 4;

inline bool FrameSizeAccepted(int64_t width, int64_t height) {
    return width <= kMaxFrameSide && height <= kMaxFrameSide && width * height <= kMaxFramePixels;
}

// A decoder opened for `stream` into *codec: S_OK, E_OUTOFMEMORY, or
// VFW_E_UNSUPPORTED_STREAM when FFmpeg has none for it or cannot open it.
HRESULT OpenVideoDecoder(const AVStream &stream, AVCodecContext **codec);

}  // namespace standin::mmstream
