#include "decoded_movie.h"

#include <cstring>
#include <memory>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace moviegen {
namespace {

struct FormatCloser {
  void operator()(AVFormatContext *f) const { avformat_close_input(&f); }
};
struct CodecFreer {
  void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
};
struct FrameFreer {
  void operator()(AVFrame *f) const { av_frame_free(&f); }
};
struct PacketFreer {
  void operator()(AVPacket *p) const { av_packet_free(&p); }
};
struct ScalerFreer {
  void operator()(SwsContext *s) const { sws_freeContext(s); }
};
struct ResamplerFreer {
  void operator()(SwrContext *s) const { swr_free(&s); }
};
using Codec = std::unique_ptr<AVCodecContext, CodecFreer>;

bool Fail(std::string *error, const std::string &message) {
  if (error) *error = message;
  return false;
}

Codec OpenDecoder(const AVStream *stream) {
  const AVCodec *decoder = avcodec_find_decoder(stream->codecpar->codec_id);
  if (!decoder) return nullptr;
  Codec codec(avcodec_alloc_context3(decoder));
  if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0 ||
      avcodec_open2(codec.get(), decoder, nullptr) < 0)
    return nullptr;
  return codec;
}

class Collector {
 public:
  Collector(DecodedMovie *movie, const AVStream *video) : movie_(movie), video_(video) {}

  bool AddPicture(const AVFrame *f) {
    if (movie_->rgb.empty()) {
      movie_->width = f->width;
      movie_->height = f->height;
    }
    if (f->width != movie_->width || f->height != movie_->height) return false;
    int64_t ts = f->best_effort_timestamp;
    if (movie_->rgb.empty()) firstTs_ = ts == AV_NOPTS_VALUE ? 0 : ts;
    int64_t start;
    if (ts != AV_NOPTS_VALUE) {
      start = av_rescale_q(ts - firstTs_, video_->time_base, AVRational{1, 10000000});
    } else {
      // A frame the container gave no time (the last of a B-frame stream in
      // AVI, or one of several pictures in one MPEG packet) follows the one
      // before it by a frame time, as a player would assume.
      ++movie_->untimedFrames;
      start = movie_->start100ns.empty()
                  ? 0
                  : movie_->start100ns.back() +
                        av_rescale_q(1, av_inv_q(video_->avg_frame_rate), AVRational{1, 10000000});
    }
    movie_->start100ns.push_back(start);
    auto format = static_cast<AVPixelFormat>(f->format);
    movie_->formats.push_back(format);
    if (format == AV_PIX_FMT_PAL8) {
      std::vector<uint8_t> indices(static_cast<size_t>(f->width) * f->height);
      for (int y = 0; y < f->height; ++y)
        std::memcpy(&indices[static_cast<size_t>(y) * f->width],
                    f->data[0] + static_cast<size_t>(y) * f->linesize[0], f->width);
      movie_->indices.push_back(std::move(indices));
      std::array<uint32_t, 256> palette;
      const uint32_t *words = reinterpret_cast<const uint32_t *>(f->data[1]);
      for (int i = 0; i < 256; ++i) palette[i] = words[i] & 0xFFFFFF;
      movie_->palettes.push_back(palette);
    }
    scaler_.reset(sws_getCachedContext(scaler_.release(), f->width, f->height, format, f->width,
                                       f->height, AV_PIX_FMT_RGB24,
                                       SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT,
                                       nullptr, nullptr, nullptr));
    if (!scaler_) return false;
    std::vector<uint8_t> rgb(static_cast<size_t>(f->width) * f->height * 3);
    uint8_t *planes[1] = {rgb.data()};
    int strides[1] = {f->width * 3};
    if (sws_scale(scaler_.get(), f->data, f->linesize, 0, f->height, planes, strides) !=
        f->height)
      return false;
    movie_->rgb.push_back(std::move(rgb));
    return true;
  }

  bool AddSound(const AVFrame *f) {
    if (!resampler_) {
      SwrContext *s = nullptr;
      // FFmpeg 5.1 takes the layouts through non-const pointers but only reads them.
      auto *layout = const_cast<AVChannelLayout *>(&f->ch_layout);
      if (swr_alloc_set_opts2(&s, layout, AV_SAMPLE_FMT_S16, f->sample_rate, layout,
                              static_cast<AVSampleFormat>(f->format), f->sample_rate, 0,
                              nullptr) < 0)
        return false;
      resampler_.reset(s);
      if (swr_init(s) < 0) return false;
    }
    std::vector<int16_t> out(static_cast<size_t>(f->nb_samples) * f->ch_layout.nb_channels);
    uint8_t *planes[1] = {reinterpret_cast<uint8_t *>(out.data())};
    int got = swr_convert(resampler_.get(), planes, f->nb_samples,
                          const_cast<const uint8_t **>(f->extended_data), f->nb_samples);
    if (got < 0) return false;
    movie_->audio.insert(movie_->audio.end(), out.begin(),
                         out.begin() + static_cast<ptrdiff_t>(got) * f->ch_layout.nb_channels);
    return true;
  }

 private:
  DecodedMovie *movie_;
  const AVStream *video_;
  int64_t firstTs_ = 0;
  std::unique_ptr<SwsContext, ScalerFreer> scaler_;
  std::unique_ptr<SwrContext, ResamplerFreer> resampler_;
};

// Sends one packet (null drains) and hands every frame that comes out to `take`.
template <typename Take>
bool Decode(AVCodecContext *codec, const AVPacket *packet, AVFrame *frame, Take take) {
  if (avcodec_send_packet(codec, packet) < 0 && packet) return true;  // skip a bad packet
  for (;;) {
    int ret = avcodec_receive_frame(codec, frame);
    if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) return true;
    if (ret < 0) return true;  // a damaged frame: go on with the next
    bool ok = take(frame);
    av_frame_unref(frame);
    if (!ok) return false;
  }
}

}  // namespace

bool DecodeMovie(const std::string &path, DecodedMovie *movie, std::string *error) {
  av_log_set_level(AV_LOG_QUIET);
  *movie = DecodedMovie{};
  AVFormatContext *raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0)
    return Fail(error, "FFmpeg cannot open " + path);
  std::unique_ptr<AVFormatContext, FormatCloser> format(raw);
  if (avformat_find_stream_info(format.get(), nullptr) < 0)
    return Fail(error, "FFmpeg finds no streams in " + path);
  int videoIndex = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (videoIndex < 0) return Fail(error, "no video stream in " + path);
  const AVStream *videoStream = format->streams[videoIndex];
  Codec video = OpenDecoder(videoStream);
  if (!video) return Fail(error, "no decoder for the video of " + path);
  movie->frameRate = videoStream->avg_frame_rate;
  movie->videoCodec = videoStream->codecpar->codec_id;

  int audioIndex = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  Codec audio;
  if (audioIndex >= 0) {
    const AVCodecParameters *p = format->streams[audioIndex]->codecpar;
    audio = OpenDecoder(format->streams[audioIndex]);
    movie->hasAudio = true;
    movie->audioCodec = p->codec_id;
    movie->audioRate = p->sample_rate;
    movie->audioChannels = p->ch_layout.nb_channels;
  }

  std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
  std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
  if (!packet || !frame) return Fail(error, "out of memory");
  Collector collector(movie, videoStream);
  auto picture = [&](const AVFrame *f) { return collector.AddPicture(f); };
  auto sound = [&](const AVFrame *f) { return collector.AddSound(f); };
  while (av_read_frame(format.get(), packet.get()) >= 0) {
    bool ok = true;
    if (packet->stream_index == videoIndex)
      ok = Decode(video.get(), packet.get(), frame.get(), picture);
    else if (audio && packet->stream_index == audioIndex)
      ok = Decode(audio.get(), packet.get(), frame.get(), sound);
    av_packet_unref(packet.get());
    if (!ok) return Fail(error, "a decoded frame could not be converted");
  }
  if (!Decode(video.get(), nullptr, frame.get(), picture) ||
      (audio && !Decode(audio.get(), nullptr, frame.get(), sound)))
    return Fail(error, "a decoded frame could not be converted");
  if (movie->rgb.empty()) return Fail(error, "no frame of " + path + " decodes");
  return true;
}

}  // namespace moviegen
