// Feeds the tone into an audio encoder of an OutputFile in step with the video.
#pragma once

#include <string>

#include "moviegen/output_file.h"

namespace moviegen {

// Adds a 16-bit stereo stream at kAudioSampleRate encoded with `codecId`
// (PCM or MP2). Returns the stream number or -1.
int AddToneStream(OutputFile &file, AVCodecID codecId, std::string *error);
// Sets up an encoder of the tone with `channels` channels (1: the left one).
void ConfigureToneEncoder(AVCodecContext *codec, int channels);

class ToneTrack {
 public:
  // `totalSamples` per channel; the encoder's frame size is honoured, and a
  // last short frame is padded with silence where the encoder needs that.
  // `beeps`: BeepSamples from `beepDelay` instead of the tone.
  ToneTrack(OutputFile &file, int stream, int64_t totalSamples, bool beeps = false, int64_t beepDelay = 0);
  ~ToneTrack();
  ToneTrack(const ToneTrack &) = delete;
  ToneTrack &operator=(const ToneTrack &) = delete;

  // Encodes the tone up to sample `end` (at most totalSamples); with a fixed
  // frame size, only whole frames until the end of the track.
  bool WriteUntil(int64_t end, std::string *error);
  // Gives the samples times `samples` later than their numbers.
  void DelayBy(int64_t samples) { delay_ = samples; }

 private:
  bool WriteFrame(int samples, std::string *error);

  OutputFile &file_;
  int stream_;
  int64_t total_;
  bool beeps_;
  int64_t beepDelay_;
  int64_t delay_ = 0;
  int64_t next_ = 0;
  AVFrame *frame_ = nullptr;
};

}  // namespace moviegen
