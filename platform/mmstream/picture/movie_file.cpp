#include "mmstream/picture/movie_file.h"

// Decoding and seeking a movie's video track.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/version.h>
}

#include "mmstream/clock/stream_time_base.h"
#include "mmstream/clock/time_arithmetic.h"
#include "mmstream/palette/gif_colour_table.h"
#include "mmstream/picture/video_decoder.h"

namespace standin::mmstream {

namespace {

// FFmpeg 5.1 has only pkt_duration; 6.0 brought duration and 7 dropped
// pkt_duration.
int64_t FrameDuration(const AVFrame &frame) {
#if LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(58, 2, 100)
    return frame.duration;
#else
    return frame.pkt_duration;
#endif
}

}  // namespace

MovieFile::MovieFile() = default;

MovieFile::~MovieFile() {
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
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
