#include "moviegen/video_track.h"

#include <cstring>

extern "C" {
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace moviegen {
namespace {

AVPixelFormat EncoderFormat(Kind kind) {
  switch (kind) {
    case Kind::RawRgbAvi: return AV_PIX_FMT_BGR24;
    case Kind::Pal8Avi:
    case Kind::Gif: return AV_PIX_FMT_PAL8;
    case Kind::MjpegAvi: return AV_PIX_FMT_YUVJ420P;  // JPEG's full-range YUV
    case Kind::Mpeg4PcmAvi:
    case Kind::Mpeg1Ps:
    case Kind::H264Mov: return AV_PIX_FMT_YUV420P;
  }
  return AV_PIX_FMT_NONE;
}

AVCodecID EncoderId(Kind kind) {
  switch (kind) {
    case Kind::RawRgbAvi:
    case Kind::Pal8Avi: return AV_CODEC_ID_RAWVIDEO;
    case Kind::Mpeg4PcmAvi: return AV_CODEC_ID_MPEG4;
    case Kind::MjpegAvi: return AV_CODEC_ID_MJPEG;
    case Kind::Mpeg1Ps: return AV_CODEC_ID_MPEG1VIDEO;
    case Kind::Gif: return AV_CODEC_ID_GIF;
    case Kind::H264Mov: return AV_CODEC_ID_H264;
  }
  return AV_CODEC_ID_NONE;
}

// Fixed quantiser 3: clearly lossy, yet the code blocks stay crisp.
constexpr int kQuantiser = 3;

// libx264's threads hand frames over in ways ThreadSanitizer cannot follow
// in an uninstrumented library (it reported a race inside libx264 while a
// test wrote its movie): under it, H.264 is encoded on one thread.
#if defined(__SANITIZE_THREAD__)
#define MOVIEGEN_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define MOVIEGEN_THREAD_SANITIZER 1
#endif
#endif
#ifndef MOVIEGEN_THREAD_SANITIZER
#define MOVIEGEN_THREAD_SANITIZER 0
#endif
constexpr bool kOneEncoderThread = MOVIEGEN_THREAD_SANITIZER != 0;

}  // namespace

int AddVideoStream(OutputFile &file, const MovieRecipe &recipe, std::string *error) {
  return file.AddStream(
      EncoderId(recipe.kind),
      [&recipe](AVCodecContext *c) {
        c->width = recipe.width;
        c->height = recipe.height;
        c->pix_fmt = EncoderFormat(recipe.kind);
        c->time_base = AVRational{recipe.fpsDen, recipe.fpsNum};
        c->framerate = AVRational{recipe.fpsNum, recipe.fpsDen};
        if (recipe.kind == Kind::Mpeg4PcmAvi || recipe.kind == Kind::MjpegAvi ||
            recipe.kind == Kind::Mpeg1Ps) {
          c->flags |= AV_CODEC_FLAG_QSCALE;
          c->global_quality = FF_QP2LAMBDA * kQuantiser;
          // Choose intra or inter blocks by the real error: at a fine
          // quantiser an MPEG-1 inter block cannot reach a black-to-white
          // step, and the cheaper-looking inter choice leaves it grey.
          c->mb_decision = FF_MB_DECISION_RD;
        }
        // Real movies reorder frames: B-frames make players do so too.
        if (recipe.kind == Kind::Mpeg4PcmAvi || recipe.kind == Kind::Mpeg1Ps) {
          c->gop_size = 12;
          c->max_b_frames = 2;
        }
        if (recipe.kind == Kind::MjpegAvi) c->color_range = AVCOL_RANGE_JPEG;
        // As users make them: libx264's own GOP (250) and B-frames, at the
        // quality of a download.
        if (recipe.kind == Kind::H264Mov) {
          av_opt_set(c->priv_data, "preset", "fast", 0);
          av_opt_set(c->priv_data, "crf", "20", 0);
          if (kOneEncoderThread) c->thread_count = 1;
        }
      },
      error);
}

VideoTrack::VideoTrack(OutputFile &file, int stream, const MovieRecipe &recipe)
    : file_(file), stream_(stream), recipe_(recipe), frame_(av_frame_alloc()) {}

VideoTrack::~VideoTrack() {
  av_frame_free(&frame_);
  sws_freeContext(scaler_);
}

bool VideoTrack::FillPaletted(int index) {
  std::vector<uint8_t> indices = FrameIndices(recipe_, index);
  const bool reversed = reversedFrom_ >= 0 && index >= reversedFrom_;
  if (reversed)
    for (uint8_t &entry : indices) entry = static_cast<uint8_t>(255 - entry);
  for (int y = 0; y < recipe_.height; ++y) {
    std::memcpy(frame_->data[0] + static_cast<size_t>(y) * frame_->linesize[0],
                &indices[static_cast<size_t>(y) * recipe_.width], recipe_.width);
  }
  // FFmpeg keeps PAL8 palettes as native-endian 0xAARRGGBB words.
  std::array<uint32_t, 256> palette = MoviePalette();
  uint32_t *out = reinterpret_cast<uint32_t *>(frame_->data[1]);
  for (int i = 0; i < 256; ++i) out[i] = 0xFF000000u | palette[reversed ? 255 - i : i];
  return true;
}

bool VideoTrack::FillConverted(int index) {
  const AVPixelFormat target = static_cast<AVPixelFormat>(frame_->format);
  if (!scaler_) {
    scaler_ = sws_getContext(recipe_.width, recipe_.height, AV_PIX_FMT_RGB24, recipe_.width,
                             recipe_.height, target, SWS_BICUBIC | SWS_ACCURATE_RND, nullptr,
                             nullptr, nullptr);
    if (!scaler_) return false;
  }
  std::vector<uint8_t> rgb = FrameRgb24(recipe_, index);
  const uint8_t *source[1] = {rgb.data()};
  const int sourceStride[1] = {recipe_.width * 3};
  return sws_scale(scaler_, source, sourceStride, 0, recipe_.height, frame_->data,
                   frame_->linesize) == recipe_.height;
}

bool VideoTrack::Write(int index, std::string *error) {
  if (!frame_) {
    if (error) *error = "out of memory";
    return false;
  }
  const AVCodecContext *codec = file_.Codec(stream_);
  // A fresh buffer each frame: the encoder may still hold the previous one.
  av_frame_unref(frame_);
  frame_->format = codec->pix_fmt;
  frame_->width = codec->width;
  frame_->height = codec->height;
  frame_->color_range = codec->color_range;
  int ret = av_frame_get_buffer(frame_, 0);
  if (ret < 0) {
    if (error) *error = FfmpegError("cannot make a video frame", ret);
    return false;
  }
  bool filled = codec->pix_fmt == AV_PIX_FMT_PAL8 ? FillPaletted(index) : FillConverted(index);
  if (!filled) {
    if (error) *error = "cannot convert the picture for the encoder";
    return false;
  }
  frame_->pts = index;
  return file_.Encode(stream_, frame_, error);
}

}  // namespace moviegen
