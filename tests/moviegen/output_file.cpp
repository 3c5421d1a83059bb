#include "moviegen/output_file.h"

#include <cstdio>

#include "moviegen/quiet_ffmpeg.h"

namespace moviegen {

std::string FfmpegError(const std::string &what, int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return what + ": " + text;
}

namespace {

bool Fail(std::string *error, const std::string &message) {
  if (error) *error = message;
  return false;
}

}  // namespace

OutputFile::~OutputFile() {
  for (Stream &s : streams_) avcodec_free_context(&s.codec);
  av_packet_free(&packet_);
  if (format_) {
    if (format_->pb) avio_closep(&format_->pb);
    avformat_free_context(format_);
  }
  if (!finished_ && !path_.empty()) std::remove(path_.c_str());
}

bool OutputFile::Open(const std::string &path, std::string *error) {
  QuietFfmpeg();
  int ret = avformat_alloc_output_context2(&format_, nullptr, nullptr, path.c_str());
  if (ret < 0) return Fail(error, FfmpegError("no container for " + path, ret));
  packet_ = av_packet_alloc();
  if (!packet_) return Fail(error, "out of memory");
  ret = avio_open(&format_->pb, path.c_str(), AVIO_FLAG_WRITE);
  if (ret < 0) return Fail(error, FfmpegError("cannot create " + path, ret));
  path_ = path;
  return true;
}

int OutputFile::AddStream(AVCodecID codecId,
                          const std::function<void(AVCodecContext *)> &configure,
                          std::string *error) {
  const AVCodec *encoder = avcodec_find_encoder(codecId);
  if (!encoder) {
    Fail(error, std::string("FFmpeg has no encoder for ") + avcodec_get_name(codecId));
    return -1;
  }
  Stream s;
  s.codec = avcodec_alloc_context3(encoder);
  s.stream = s.codec ? avformat_new_stream(format_, nullptr) : nullptr;
  if (!s.stream) {
    avcodec_free_context(&s.codec);
    Fail(error, "out of memory");
    return -1;
  }
  streams_.push_back(s);
  configure(s.codec);
  if (!OpenEncoder(s.codec, error)) return -1;
  int ret = avcodec_parameters_from_context(s.stream->codecpar, s.codec);
  if (ret < 0) {
    Fail(error, FfmpegError("cannot describe the stream", ret));
    return -1;
  }
  s.stream->time_base = s.codec->time_base;
  s.stream->avg_frame_rate = s.codec->framerate;
  return static_cast<int>(streams_.size()) - 1;
}

bool OutputFile::OpenEncoder(AVCodecContext *codec, std::string *error) {
  if (format_->oformat->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  int ret = avcodec_open2(codec, codec->codec, nullptr);
  if (ret < 0)
    return Fail(error, FfmpegError(std::string("cannot open the ") + codec->codec->name + " encoder", ret));
  return true;
}

bool OutputFile::ReplaceEncoder(int stream, const std::function<void(AVCodecContext *)> &configure,
                                std::string *error) {
  Stream &s = streams_[stream];
  int ret = avcodec_send_frame(s.codec, nullptr);
  if (ret < 0) return Fail(error, FfmpegError("cannot flush the encoder", ret));
  if (!Drain(s, error)) return false;
  const AVCodec *encoder = s.codec->codec;
  avcodec_free_context(&s.codec);
  s.codec = avcodec_alloc_context3(encoder);
  if (!s.codec) return Fail(error, "out of memory");
  configure(s.codec);
  return OpenEncoder(s.codec, error);
}

bool OutputFile::WriteHeader(std::string *error) {
  int ret = avformat_write_header(format_, nullptr);
  if (ret < 0) return Fail(error, FfmpegError("cannot write the header", ret));
  headerWritten_ = true;
  return true;
}

bool OutputFile::Drain(Stream &s, std::string *error) {
  for (;;) {
    int ret = avcodec_receive_packet(s.codec, packet_);
    if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) return true;
    if (ret < 0) return Fail(error, FfmpegError("encoding failed", ret));
    // Video encoders leave the duration unset; a frame lasts one tick.
    if (packet_->duration == 0 && s.codec->codec_type == AVMEDIA_TYPE_VIDEO) packet_->duration = 1;
    av_packet_rescale_ts(packet_, s.codec->time_base, s.stream->time_base);
    packet_->stream_index = s.stream->index;
    ret = av_interleaved_write_frame(format_, packet_);
    if (ret < 0) return Fail(error, FfmpegError("cannot write a packet", ret));
  }
}

bool OutputFile::Encode(int stream, const AVFrame *frame, std::string *error) {
  Stream &s = streams_[stream];
  int ret = avcodec_send_frame(s.codec, frame);
  if (ret < 0) return Fail(error, FfmpegError("encoding failed", ret));
  return Drain(s, error);
}

bool OutputFile::Finish(std::string *error) {
  if (!headerWritten_) return Fail(error, "the header was never written");
  for (Stream &s : streams_) {
    int ret = avcodec_send_frame(s.codec, nullptr);
    if (ret < 0) return Fail(error, FfmpegError("cannot flush the encoder", ret));
    if (!Drain(s, error)) return false;
  }
  int ret = av_write_trailer(format_);
  if (ret < 0) return Fail(error, FfmpegError("cannot finish the file", ret));
  ret = avio_closep(&format_->pb);
  if (ret < 0) return Fail(error, FfmpegError("cannot close the file", ret));
  finished_ = true;
  return true;
}

}  // namespace moviegen
