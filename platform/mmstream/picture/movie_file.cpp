#include "mmstream/picture/movie_file.h"

#include <algorithm>
#include <cerrno>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/version.h>
}

#include "mmstream/palette/gif_colour_table.h"
#include "mmstream/com/open_failure.h"
#include "mmstream/source/stream_length.h"
#include "mmstream/clock/time_arithmetic.h"
#include "mmstream/picture/video_decoder.h"

namespace standin::mmstream {

namespace {

constexpr AVRational kStreamTimeBase{1, 10000000};

// FFmpeg 5.1 has only pkt_duration; 6.0 brought duration and 7 dropped
// pkt_duration.
int64_t FrameDuration(const AVFrame &frame) {
#if LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(58, 2, 100)
    return frame.duration;
#else
    return frame.pkt_duration;
#endif
}

// Attached pictures (cover art) are video streams in FFmpeg's eyes but not
// movies.
int FindVideoStream(const AVFormatContext *format) {
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream *stream = format->streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return static_cast<int>(i);
    }
    return -1;
}

// Whether the movie's video stream, as far as it is known, has frames the
// platform takes.
bool VideoSizeAccepted(const AVFormatContext *format) {
    const int video = FindVideoStream(format);
    return video < 0 ||
           FrameSizeAccepted(format->streams[video]->codecpar->width, format->streams[video]->codecpar->height);
}

STREAM_TIME FrameRateToTimePerFrame(AVRational rate) {
    if (rate.num <= 0 || rate.den <= 0) return 0;
    return av_rescale(10000000, rate.den, rate.num);
}

}  // namespace

MovieFile::MovieFile() = default;

MovieFile::~MovieFile() {
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
}

// Finds the streams and what the movie reports, and opens the decoder.
HRESULT MovieFile::Probe(AVFormatContext *format, int *sound) {
    // Frames larger than the platform takes are refused before anything is
    // made for them: as soon as the headers tell, and again once the
    // streams are known.
    if (!VideoSizeAccepted(format)) return VFW_E_UNSUPPORTED_STREAM;
    if (avformat_find_stream_info(format, nullptr) < 0) return VFW_E_INVALID_FILE_FORMAT;
    streamIndex_ = FindVideoStream(format);
    if (streamIndex_ < 0 || !VideoSizeAccepted(format)) return VFW_E_UNSUPPORTED_STREAM;
    AVStream *stream = format->streams[streamIndex_];
    packet_ = av_packet_alloc();
    const HRESULT decoder = packet_ ? OpenVideoDecoder(*stream, &codec_) : E_OUTOFMEMORY;
    if (FAILED(decoder)) return decoder;
    const AVCodec *soundDecoder = nullptr;
    *sound = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &soundDecoder, 0);
    info_.hasSound = *sound >= 0 && soundDecoder;

    timeBase_ = stream->time_base;
    firstTimestamp_ = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    info_.originMicroseconds = av_rescale_q(firstTimestamp_, stream->time_base, AV_TIME_BASE_Q);
    info_.timePerFrame = FrameRateToTimePerFrame(stream->avg_frame_rate);
    if (info_.timePerFrame == 0) info_.timePerFrame = FrameRateToTimePerFrame(stream->r_frame_rate);
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        info_.duration = av_rescale_q(stream->duration, stream->time_base, kStreamTimeBase);
    } else if (format->duration != AV_NOPTS_VALUE) {
        const int64_t formatStart = format->start_time != AV_NOPTS_VALUE ? format->start_time : 0;
        info_.duration = av_rescale_q(
            SaturatingSub(format->duration, SaturatingSub(info_.originMicroseconds, formatStart)), AV_TIME_BASE_Q,
            kStreamTimeBase);
    }
    return S_OK;
}

std::unique_ptr<MovieFile> MovieFile::Open(const std::string &utf8Path, bool keepSound, HRESULT *error) {
    av_log_set_level(AV_LOG_QUIET);
    std::unique_ptr<MovieFile> movie(new MovieFile());

    int result = 0;
    movie->source_ = MovieSource::Open(utf8Path, &result);
    if (!movie->source_) {
        *error = OpenFailure(result);
        return nullptr;
    }
    MovieSource &source = *movie->source_;
    int sound = -1;
    *error = S_OK;
    source.Use([&](AVFormatContext *format) { *error = movie->Probe(format, &sound); });
    if (FAILED(*error)) return nullptr;
    MovieInfo &info = movie->info_;
    source.Feed(MovieSource::kPicture, movie->streamIndex_);
    if (keepSound && info.hasSound) source.Feed(MovieSource::kSound, sound);
    // A length guessed from the bit rate (bare elementary streams) can be
    // far off: the packets tell where the frames end.
    int64_t end = AV_NOPTS_VALUE;
    source.Use([&](AVFormatContext *format) {
        if (format->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE)
            end = ScanLastPacketEnd(format, movie->streamIndex_);
    });

    // A movie counts as open only once a frame has come out of the decoder.
    if (movie->DecodeOne(&movie->firstFrame_) != S_OK || movie->firstFrame_.picture->width <= 0 ||
        movie->firstFrame_.picture->height <= 0) {
        *error = VFW_E_INVALID_FILE_FORMAT;
        return nullptr;
    }
    if (!FrameSizeAccepted(movie->firstFrame_.picture->width, movie->firstFrame_.picture->height)) {
        *error = VFW_E_UNSUPPORTED_STREAM;
        return nullptr;
    }
    movie->firstFramePending_ = true;
    const AVFrame *first = movie->firstFrame_.picture.get();
    // Time 0 is the first frame's time: decoders that reorder frames (and
    // containers without presentation times) can put it after the
    // stream's own start.
    if (first->best_effort_timestamp != AV_NOPTS_VALUE) {
        movie->firstTimestamp_ = first->best_effort_timestamp;
        movie->firstFrame_.end -= movie->firstFrame_.start;
        movie->firstFrame_.start = 0;
        movie->nextStart_ = movie->firstFrame_.end;
        info.originMicroseconds = av_rescale_q(movie->firstTimestamp_, movie->timeBase_, AV_TIME_BASE_Q);
    }
    info.width = first->width;
    info.height = first->height;
    if (first->format == AV_PIX_FMT_PAL8 && first->data[1]) {
        info.palettized = true;
        const auto *argb = reinterpret_cast<const uint32_t *>(first->data[1]);
        for (int i = 0; i < 256; ++i) info.palette[i] = argb[i] & 0xFFFFFFu;
    } else if (movie->sawGifColourTable_) {
        info.palettized = true;
        info.palette = movie->gifColourTable_;
    }
    if (end != AV_NOPTS_VALUE)
        info.duration = av_rescale_q(SaturatingSub(end, movie->firstTimestamp_), movie->timeBase_, kStreamTimeBase);
    if (info.duration < movie->firstFrame_.end) info.duration = movie->firstFrame_.end;
    *error = S_OK;
    return movie;
}

bool MovieFile::DecodesOnFrameThreads() const { return (codec_->active_thread_type & FF_THREAD_FRAME) != 0; }

HRESULT MovieFile::NextFrame(DecodedFrame *frame) {
    if (firstFramePending_) {
        firstFramePending_ = false;
        *frame = std::move(firstFrame_);
        if (frame->end > skipBefore_) return S_OK;
    }
    for (;;) {
        const HRESULT hr = DecodeOne(frame);
        if (hr == E_OUTOFMEMORY) return hr;  // the seek's check waits for the next frame
        const bool firstAfterSeek = !seekChecked_;
        seekChecked_ = true;
        // A demuxer may land after the asked-for time (or past the last
        // keyframe): step back further, down to the beginning if need be.
        if (firstAfterSeek && !rewound_ && (hr != S_OK || frame->start > skipBefore_)) {
            seekBackoff_ *= 2;
            STREAM_TIME earlier = SaturatingSub(skipBefore_, seekBackoff_);
            if (earlier <= 0) {
                earlier = 0;
                rewound_ = true;
            }
            Rewind(SaturatingAdd(firstTimestamp_,
                                 av_rescale_q(earlier, kStreamTimeBase, timeBase_)));
            seekChecked_ = false;
            continue;
        }
        if (hr != S_OK) return hr;
        if (frame->end > skipBefore_) return S_OK;  // the frame shown at the seek time
    }
}

void MovieFile::Seek(STREAM_TIME time) {
    firstFramePending_ = false;
    skipBefore_ = time;
    seekChecked_ = false;
    rewound_ = time <= 0;
    seekBackoff_ = 5000000;  // first retry half a second before
    if (info_.duration > 0 && time >= info_.duration) {
        // Parked at the end: nothing left to decode.
        ended_ = true;
        cutShort_ = false;
        seekChecked_ = true;
        return;
    }
    Rewind(SaturatingAdd(firstTimestamp_, av_rescale_q(time > 0 ? time : 0, kStreamTimeBase, timeBase_)));
}

void MovieFile::Rewind(int64_t streamTimestamp) {
    source_->Reposition(MovieSource::kPicture, streamTimestamp, [&](AVFormatContext *format) {
        if (av_seek_frame(format, streamIndex_, streamTimestamp, AVSEEK_FLAG_BACKWARD) < 0 &&
            av_seek_frame(format, streamIndex_, firstTimestamp_, AVSEEK_FLAG_BACKWARD) < 0) {
            avformat_seek_file(format, -1, INT64_MIN, 0, INT64_MAX, AVSEEK_FLAG_BYTE);
        }
    });
    // A decoder made anew has nothing to flush; one that cannot be yet is
    // made anew by the next decode.
    if (!decoderSuspect_) avcodec_flush_buffers(codec_);
    else RenewDecoderIfSuspect();
    av_packet_unref(packet_);
    packetHeld_ = false;
    draining_ = false;
    ended_ = false;
    cutShort_ = false;
    nextStart_ = 0;
}

// A decoder that ran out of memory may have been left half-changed (FFmpeg
// 5.1's H.264 decoder then aborts the process in its next flush): it is
// made anew before it is used again. False while there is no memory for it.
bool MovieFile::RenewDecoderIfSuspect() {
    if (!decoderSuspect_) return true;
    AVCodecContext *fresh = nullptr;
    HRESULT made = E_OUTOFMEMORY;
    source_->Use([&](AVFormatContext *format) { made = OpenVideoDecoder(*format->streams[streamIndex_], &fresh); });
    if (FAILED(made)) return false;
    avcodec_free_context(&codec_);
    codec_ = fresh;
    decoderSuspect_ = false;
    return true;
}

HRESULT MovieFile::DecodeOne(DecodedFrame *frame) {
    if (ended_) return MS_S_ENDOFSTREAM;
    if (!RenewDecoderIfSuspect()) return E_OUTOFMEMORY;
    // A picture the caller hands back is used again: frames then cost no
    // allocation, and the decoder's buffers return to its pool.
    FramePtr picture = frame->picture ? std::move(frame->picture) : FramePtr(av_frame_alloc());
    if (!picture) return E_OUTOFMEMORY;
    av_frame_unref(picture.get());
    // Running out of memory is a failure of this call, not the end of the
    // data: the next call goes on where this one stopped.
    const auto outOfMemory = [&] {
        frame->picture = std::move(picture);
        return E_OUTOFMEMORY;
    };
    for (;;) {
        const int received = avcodec_receive_frame(codec_, picture.get());
        if (received == 0) break;
        if (received == AVERROR(ENOMEM)) {
            decoderSuspect_ = true;
            return outOfMemory();
        }
        if (received != AVERROR(EAGAIN) || draining_) {
            ended_ = true;  // drained, or a decoder that gave up
            frame->picture = std::move(picture);
            return MS_S_ENDOFSTREAM;
        }
        if (!packetHeld_) {
            const int read = source_->Next(MovieSource::kPicture, packet_);
            if (read == AVERROR(ENOMEM)) return outOfMemory();
            if (read < 0) {
                cutShort_ = read != AVERROR_EOF || source_->EndedEarly();
                draining_ = true;
                avcodec_send_packet(codec_, nullptr);
                continue;
            }
            if (codec_->codec_id == AV_CODEC_ID_GIF && !sawGifColourTable_)
                sawGifColourTable_ = ReadGifColourTable(packet_->data, packet_->size, &gifColourTable_);
        }
        // A packet the decoder refuses (damaged data) is skipped; one it had
        // no memory for is kept for the next call.
        packetHeld_ = avcodec_send_packet(codec_, packet_) == AVERROR(ENOMEM);
        if (packetHeld_) {
            decoderSuspect_ = true;
            return outOfMemory();
        }
        av_packet_unref(packet_);
    }

    STREAM_TIME start = nextStart_;
    // A timestamp too far off to rescale (av_rescale_q gives INT64_MIN) is
    // taken as missing.
    const int64_t stamp =
        picture->best_effort_timestamp != AV_NOPTS_VALUE
            ? av_rescale_q(SaturatingSub(picture->best_effort_timestamp, firstTimestamp_), timeBase_, kStreamTimeBase)
            : INT64_MIN;
    if (stamp != INT64_MIN) start = stamp;
    const int64_t duration = FrameDuration(*picture);
    STREAM_TIME length =
        duration > 0 ? av_rescale_q(duration, timeBase_, kStreamTimeBase) : info_.timePerFrame;
    if (length <= 0) length = 1;
    frame->picture = std::move(picture);
    frame->start = start;
    frame->end = SaturatingAdd(start, length);
    nextStart_ = frame->end;
    return S_OK;
}

}  // namespace standin::mmstream
