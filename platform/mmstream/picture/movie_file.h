// The video track of a movie file: decoding through FFmpeg the packets of
// the movie's source, which it opens and shares with the sound track.
//
// A MovieFile is opened on one thread and afterwards used by one thread at a
// time (the stream's decoding thread); it takes no locks of its own.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include <mmstream.h>

extern "C" {
#include <libavutil/rational.h>
}

#include "mmstream/picture/decoded_frame.h"
#include "mmstream/source/movie_info.h"
#include "mmstream/source/movie_source.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVPacket;

namespace standin::mmstream {

class MovieFile {
public:
    // Opens `utf8Path` and decodes its first frame, so that success means the
    // video really plays. On failure returns null and sets *error. With
    // `keepSound` the source keeps the sound track's packets for Source()'s
    // sound reader.
    static std::unique_ptr<MovieFile> Open(const std::string &utf8Path, bool keepSound, HRESULT *error);
    ~MovieFile();
    MovieFile(const MovieFile &) = delete;
    MovieFile &operator=(const MovieFile &) = delete;

    const MovieInfo &Info() const { return info_; }
    const std::shared_ptr<MovieSource> &Source() const { return source_; }
    // Whether the decoder runs frame threads, which go on decoding after
    // the call that sent them a packet has returned.
    bool DecodesOnFrameThreads() const;

    // The next frame in presentation order: S_OK, MS_S_ENDOFSTREAM once the
    // track is exhausted (and on every later call until a seek), or
    // E_OUTOFMEMORY when FFmpeg ran out of memory (a later call goes on). A
    // picture already in *frame is reused for it.
    HRESULT NextFrame(DecodedFrame *frame);
    // After MS_S_ENDOFSTREAM: whether the data ended before the movie did:
    // a read failed for good, the file was cut short, or the demuxer gave
    // up on damaged data.
    bool EndedEarly() const { return cutShort_; }

    // Positions the track so that NextFrame returns the frame shown at `time`
    // (the one whose start <= time < its end), or the end of the stream.
    void Seek(STREAM_TIME time);

private:
    MovieFile();
    HRESULT Probe(AVFormatContext *format, int *sound);
    HRESULT DecodeOne(DecodedFrame *frame);
    void Rewind(int64_t streamTimestamp);
    bool RenewDecoderIfSuspect();

    std::shared_ptr<MovieSource> source_;
    AVCodecContext *codec_ = nullptr;
    AVPacket *packet_ = nullptr;
    int streamIndex_ = -1;
    AVRational timeBase_{0, 1};  // of the video stream
    int64_t firstTimestamp_ = 0;  // stream time base
    bool draining_ = false;
    bool ended_ = false;
    bool cutShort_ = false;    // the demuxer stopped at data cut short
    bool packetHeld_ = false;  // packet_ waits to be sent again
    bool decoderSuspect_ = false;  // codec_ ran out of memory: made anew before use
    STREAM_TIME nextStart_ = 0;  // for frames without a timestamp
    // After a seek: frames that end before this time are passed over.
    STREAM_TIME skipBefore_ = INT64_MIN;
    bool seekChecked_ = true;
    bool rewound_ = false;
    STREAM_TIME seekBackoff_ = 0;
    // GIF frames decode to colours; the file's colour table is their palette.
    bool sawGifColourTable_ = false;
    std::array<uint32_t, 256> gifColourTable_{};
    DecodedFrame firstFrame_;     // decoded while opening, handed out first
    bool firstFramePending_ = false;
    MovieInfo info_;
};

}  // namespace standin::mmstream
