#include "mmstream/picture/movie_file.h"

// Opening a movie's video track: its streams, what it reports, its first
// frame.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include "mmstream/clock/stream_time_base.h"
#include "mmstream/clock/time_arithmetic.h"
#include "mmstream/com/open_failure.h"
#include "mmstream/picture/video_decoder.h"
#include "mmstream/source/stream_length.h"

namespace standin::mmstream {

namespace {

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

}  // namespace standin::mmstream
