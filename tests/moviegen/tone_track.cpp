#include "moviegen/tone_track.h"

#include <algorithm>

#include "moviegen/moviegen.h"

namespace moviegen {
namespace {

// Samples per frame for encoders that take any size (PCM).
constexpr int kPcmChunk = 1024;

}  // namespace

void ConfigureToneEncoder(AVCodecContext *c, int channels) {
  c->sample_fmt = AV_SAMPLE_FMT_S16;
  c->sample_rate = kAudioSampleRate;
  av_channel_layout_default(&c->ch_layout, channels);
  c->time_base = AVRational{1, kAudioSampleRate};
  if (c->codec_id == AV_CODEC_ID_MP2) c->bit_rate = 128000;
}

int AddToneStream(OutputFile &file, AVCodecID codecId, std::string *error) {
  return file.AddStream(
      codecId, [](AVCodecContext *c) { ConfigureToneEncoder(c, kAudioChannels); }, error);
}

ToneTrack::ToneTrack(OutputFile &file, int stream, int64_t totalSamples, bool beeps, int64_t beepDelay)
    : file_(file), stream_(stream), total_(totalSamples), beeps_(beeps), beepDelay_(beepDelay),
      frame_(av_frame_alloc()) {}

ToneTrack::~ToneTrack() { av_frame_free(&frame_); }

bool ToneTrack::WriteFrame(int samples, std::string *error) {
  if (!frame_) {
    if (error) *error = "out of memory";
    return false;
  }
  const AVCodecContext *codec = file_.Codec(stream_);
  av_frame_unref(frame_);
  frame_->format = codec->sample_fmt;
  frame_->sample_rate = codec->sample_rate;
  frame_->nb_samples = samples;
  int ret = av_channel_layout_copy(&frame_->ch_layout, &codec->ch_layout);
  if (ret >= 0) ret = av_frame_get_buffer(frame_, 0);
  if (ret < 0) {
    if (error) *error = FfmpegError("cannot make an audio frame", ret);
    return false;
  }
  int real = static_cast<int>(std::min<int64_t>(samples, total_ - next_));
  std::vector<int16_t> tone = beeps_ ? BeepSamples(next_, real, beepDelay_) : ToneSamples(next_, real);
  // Interleaved 16-bit samples; an encoder with fewer channels gets the
  // first ones.
  const int channels = codec->ch_layout.nb_channels;
  auto *out = reinterpret_cast<int16_t *>(frame_->data[0]);
  std::fill(out, out + static_cast<size_t>(samples) * channels, int16_t{0});
  for (int i = 0; i < real; ++i)
    for (int c = 0; c < channels; ++c)
      out[static_cast<size_t>(i) * channels + c] = tone[static_cast<size_t>(i) * kAudioChannels + std::min(c, kAudioChannels - 1)];
  frame_->pts = next_ + delay_;
  next_ += real;
  return file_.Encode(stream_, frame_, error);
}

bool ToneTrack::WriteUntil(int64_t end, std::string *error) {
  end = std::min(end, total_);
  const AVCodecContext *codec = file_.Codec(stream_);
  bool anySize = codec->frame_size == 0 ||
                 (codec->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
  if (anySize) {
    while (next_ < end) {
      if (!WriteFrame(static_cast<int>(std::min<int64_t>(kPcmChunk, end - next_)), error))
        return false;
    }
    return true;
  }
  const int size = codec->frame_size;
  while (end - next_ >= size) {
    if (!WriteFrame(size, error)) return false;
  }
  if (end == total_ && next_ < end) {
    bool shortLast = codec->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
    return WriteFrame(shortLast ? static_cast<int>(end - next_) : size, error);
  }
  return true;
}

}  // namespace moviegen
