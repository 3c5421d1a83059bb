// The sound track of a movie, decoded from the packets of the movie's
// source and resampled to 16-bit interleaved PCM at the output's rate and
// channel count.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <mmstream.h>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/rational.h>
}

#include "mmstream/source/movie_source.h"

struct AVCodecContext;
struct AVPacket;
struct AVFrame;
struct SwrContext;

namespace standin::mmstream {

class AudioTrack {
public:
    // Null when the movie has no sound track that can be decoded.
    // `originMicroseconds` is the file time that counts as movie time 0.
    static std::unique_ptr<AudioTrack> Open(std::shared_ptr<MovieSource> source, int64_t originMicroseconds,
                                            int outputRate, int outputChannels);
    ~AudioTrack();
    AudioTrack(const AudioTrack &) = delete;
    AudioTrack &operator=(const AudioTrack &) = delete;

    // The next block of samples and the movie time of its first sample;
    // false at the end of the track.
    bool Next(std::vector<uint8_t> *pcm, STREAM_TIME *start);
    // Goes back to a block at or before `time`; at or before 0, to the
    // track's own start, which may lie before the movie's time 0.
    void Seek(STREAM_TIME time);

private:
    AudioTrack() = default;
    bool Convert(const AVFrame &frame, std::vector<uint8_t> *pcm, STREAM_TIME *start);
    bool Configure(const AVFrame &frame);

    std::shared_ptr<MovieSource> source_;
    AVRational timeBase_{0, 1};  // of the sound stream
    int64_t streamStart_ = INT64_MIN;  // its start_time
    AVCodecContext *codec_ = nullptr;
    AVPacket *packet_ = nullptr;
    AVFrame *frame_ = nullptr;
    SwrContext *resampler_ = nullptr;
    // What the resampler was made for.
    AVChannelLayout input_{};
    int inputFormat_ = -1;
    int inputRate_ = 0;
    int streamIndex_ = -1;
    int64_t originMicroseconds_ = 0;
    int outputRate_ = 0;
    int outputChannels_ = 0;
    bool draining_ = false;
    STREAM_TIME nextStart_ = 0;  // for frames without a timestamp
};

}  // namespace standin::mmstream
