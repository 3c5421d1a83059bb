// A movie file being written: a muxer and an encoder per stream. Frees
// everything it holds and removes the file unless Finish succeeded.
#pragma once

#include <functional>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace moviegen {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile &) = delete;
  OutputFile &operator=(const OutputFile &) = delete;

  // Opens the muxer; the container comes from the file name.
  bool Open(const std::string &path, std::string *error);
  // Adds a stream encoded with `codecId`; `configure` fills in the codec
  // context before it is opened. Returns the stream number or -1.
  int AddStream(AVCodecID codecId, const std::function<void(AVCodecContext *)> &configure,
                std::string *error);
  AVCodecContext *Codec(int stream) const { return streams_[stream].codec; }
  // Drains the stream's encoder and puts a new one, configured by
  // `configure`, in its place; the muxer still describes the stream as
  // before, as a file whose format changes mid-stream does.
  bool ReplaceEncoder(int stream, const std::function<void(AVCodecContext *)> &configure,
                      std::string *error);
  bool WriteHeader(std::string *error);
  // Encodes one frame (pts in the codec's time base) and muxes what comes out.
  bool Encode(int stream, const AVFrame *frame, std::string *error);
  // Drains every encoder, writes the trailer and closes the file.
  bool Finish(std::string *error);

 private:
  struct Stream {
    AVCodecContext *codec = nullptr;
    AVStream *stream = nullptr;
  };
  bool Drain(Stream &s, std::string *error);
  bool OpenEncoder(AVCodecContext *codec, std::string *error);

  std::string path_;
  AVFormatContext *format_ = nullptr;
  std::vector<Stream> streams_;
  AVPacket *packet_ = nullptr;
  bool headerWritten_ = false;
  bool finished_ = false;
};

// "what: FFmpeg's message" for an FFmpeg error code.
std::string FfmpegError(const std::string &what, int code);

}  // namespace moviegen
