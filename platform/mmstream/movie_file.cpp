#include "mmstream/movie_file.h"

#include <algorithm>
#include <cerrno>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/version.h>
}

#include "mmstream/file_input.h"
#include "mmstream/gif_colour_table.h"
#include "mmstream/open_failure.h"
#include "mmstream/time_arithmetic.h"
#include "mmstream/video_decoder.h"

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

// The end of the last packet of a video stream, in the stream's time base,
// from demuxing the whole file on its own; AV_NOPTS_VALUE if none tells.
int64_t LastPacketEnd(const std::string &utf8Path, const AVInputFormat *container, int streamIndex) {
    AVFormatContext *format = nullptr;
    if (OpenFileInput(utf8Path, container, &format) < 0) return AV_NOPTS_VALUE;
    int64_t end = AV_NOPTS_VALUE;  // the lowest value, so std::max works
    AVPacket *packet = av_packet_alloc();
    if (packet && avformat_find_stream_info(format, nullptr) >= 0 &&
        streamIndex < static_cast<int>(format->nb_streams)) {
        while (av_read_frame(format, packet) >= 0) {
            const int64_t start = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            if (packet->stream_index == streamIndex && start != AV_NOPTS_VALUE)
                end = std::max(end, start + std::max<int64_t>(packet->duration, 0));
            av_packet_unref(packet);
        }
    }
    av_packet_free(&packet);
    CloseFileInput(&format);
    return end;
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
    CloseFileInput(&format_);
}

std::unique_ptr<MovieFile> MovieFile::Open(const std::string &utf8Path, HRESULT *error) {
    av_log_set_level(AV_LOG_QUIET);
    std::unique_ptr<MovieFile> movie(new MovieFile());

    const int result = OpenFileInput(utf8Path, nullptr, &movie->format_);
    if (result < 0) {
        *error = OpenFailure(result);
        return nullptr;
    }
    // Frames larger than the platform takes are refused before anything is
    // made for them: as soon as the headers tell, and again once the
    // streams are known.
    if (!VideoSizeAccepted(movie->format_)) {
        *error = VFW_E_UNSUPPORTED_STREAM;
        return nullptr;
    }
    if (avformat_find_stream_info(movie->format_, nullptr) < 0) {
        *error = VFW_E_INVALID_FILE_FORMAT;
        return nullptr;
    }

    movie->streamIndex_ = FindVideoStream(movie->format_);
    if (movie->streamIndex_ < 0) {
        *error = VFW_E_UNSUPPORTED_STREAM;
        return nullptr;
    }
    AVStream *stream = movie->format_->streams[movie->streamIndex_];
    if (!VideoSizeAccepted(movie->format_)) {
        *error = VFW_E_UNSUPPORTED_STREAM;
        return nullptr;
    }
    movie->packet_ = av_packet_alloc();
    const HRESULT decoder = movie->packet_ ? OpenVideoDecoder(*stream, &movie->codec_) : E_OUTOFMEMORY;
    if (FAILED(decoder)) {
        *error = decoder;
        return nullptr;
    }
    const AVCodec *soundDecoder = nullptr;
    movie->info_.hasSound =
        av_find_best_stream(movie->format_, AVMEDIA_TYPE_AUDIO, -1, -1, &soundDecoder, 0) >= 0 && soundDecoder;
    // Other streams are never read; discarding them saves the demuxer work.
    for (unsigned i = 0; i < movie->format_->nb_streams; ++i)
        if (static_cast<int>(i) != movie->streamIndex_) movie->format_->streams[i]->discard = AVDISCARD_ALL;

    movie->firstTimestamp_ = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    MovieInfo &info = movie->info_;
    info.container = movie->format_->iformat;
    info.originMicroseconds = av_rescale_q(movie->firstTimestamp_, stream->time_base, AV_TIME_BASE_Q);
    info.timePerFrame = FrameRateToTimePerFrame(stream->avg_frame_rate);
    if (info.timePerFrame == 0) info.timePerFrame = FrameRateToTimePerFrame(stream->r_frame_rate);
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        info.duration = av_rescale_q(stream->duration, stream->time_base, kStreamTimeBase);
    } else if (movie->format_->duration != AV_NOPTS_VALUE) {
        const int64_t formatStart = movie->format_->start_time != AV_NOPTS_VALUE ? movie->format_->start_time : 0;
        info.duration = av_rescale_q(
            SaturatingSub(movie->format_->duration, SaturatingSub(info.originMicroseconds, formatStart)),
            AV_TIME_BASE_Q, kStreamTimeBase);
    }

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
        info.originMicroseconds = av_rescale_q(movie->firstTimestamp_, stream->time_base, AV_TIME_BASE_Q);
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
    // A length guessed from the bit rate (bare elementary streams) can be
    // far off: the packets tell where the frames end.
    if (movie->format_->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE) {
        const int64_t end = LastPacketEnd(utf8Path, movie->format_->iformat, movie->streamIndex_);
        if (end != AV_NOPTS_VALUE)
            info.duration =
                av_rescale_q(SaturatingSub(end, movie->firstTimestamp_), stream->time_base, kStreamTimeBase);
    }
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
                                 av_rescale_q(earlier, kStreamTimeBase, format_->streams[streamIndex_]->time_base)));
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
    const AVStream *stream = format_->streams[streamIndex_];
    Rewind(SaturatingAdd(firstTimestamp_, av_rescale_q(time > 0 ? time : 0, kStreamTimeBase, stream->time_base)));
}

void MovieFile::Rewind(int64_t streamTimestamp) {
    if (av_seek_frame(format_, streamIndex_, streamTimestamp, AVSEEK_FLAG_BACKWARD) < 0 &&
        av_seek_frame(format_, streamIndex_, firstTimestamp_, AVSEEK_FLAG_BACKWARD) < 0) {
        avformat_seek_file(format_, -1, INT64_MIN, 0, INT64_MAX, AVSEEK_FLAG_BYTE);
    }
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
    if (FAILED(OpenVideoDecoder(*format_->streams[streamIndex_], &fresh))) return false;
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
            const int read = av_read_frame(format_, packet_);
            if (read == AVERROR(ENOMEM)) return outOfMemory();
            if (read < 0) {
                // Anything but the end of the file (a demuxer that gives up
                // on damaged data, a read that failed) cuts the data short.
                cutShort_ = read != AVERROR_EOF || FileInputCutShort(format_);
                draining_ = true;
                avcodec_send_packet(codec_, nullptr);
                continue;
            }
            if (packet_->stream_index != streamIndex_) {
                av_packet_unref(packet_);
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

    const AVStream *stream = format_->streams[streamIndex_];
    STREAM_TIME start = nextStart_;
    // A timestamp too far off to rescale (av_rescale_q gives INT64_MIN) is
    // taken as missing.
    const int64_t stamp =
        picture->best_effort_timestamp != AV_NOPTS_VALUE
            ? av_rescale_q(SaturatingSub(picture->best_effort_timestamp, firstTimestamp_), stream->time_base,
                           kStreamTimeBase)
            : INT64_MIN;
    if (stamp != INT64_MIN) start = stamp;
    const int64_t duration = FrameDuration(*picture);
    STREAM_TIME length =
        duration > 0 ? av_rescale_q(duration, stream->time_base, kStreamTimeBase) : info_.timePerFrame;
    if (length <= 0) length = 1;
    frame->picture = std::move(picture);
    frame->start = start;
    frame->end = SaturatingAdd(start, length);
    nextStart_ = frame->end;
    return S_OK;
}

}  // namespace standin::mmstream
