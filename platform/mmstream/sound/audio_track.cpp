#include "mmstream/sound/audio_track.h"

#include <algorithm>
#include <cerrno>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

#include "mmstream/clock/stream_time_base.h"
#include "mmstream/clock/time_arithmetic.h"

namespace standin::mmstream {

namespace {

// The highest sample rate taken (studio sound goes to 384 kHz). A corrupt
// header can claim billions: libswresample's filter for such a ratio takes
// gigabytes and minutes to build.
constexpr int kMaxInputRate = 768000;
bool RateAccepted(int rate) { return rate > 0 && rate <= kMaxInputRate; }
}

AudioTrack::~AudioTrack() {
    swr_free(&resampler_);
    av_channel_layout_uninit(&input_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    if (source_) source_->Feed(MovieSource::kSound, -1);  // its packets are kept no more
}

std::unique_ptr<AudioTrack> AudioTrack::Open(std::shared_ptr<MovieSource> source, int64_t originMicroseconds,
                                             int outputRate, int outputChannels) {
    av_log_set_level(AV_LOG_QUIET);
    std::unique_ptr<AudioTrack> track(new AudioTrack());
    track->originMicroseconds_ = originMicroseconds;
    track->outputRate_ = outputRate;
    track->outputChannels_ = outputChannels;
    track->source_ = std::move(source);

    // The picture's open found the streams; the sound takes them as found.
    const AVCodec *decoder = nullptr;
    bool opened = false;
    track->source_->Use([&](AVFormatContext *format) {
        track->streamIndex_ = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
        if (track->streamIndex_ < 0 || !decoder) return;
        const AVStream *stream = format->streams[track->streamIndex_];
        if (!RateAccepted(stream->codecpar->sample_rate)) return;
        track->timeBase_ = stream->time_base;
        track->streamStart_ = stream->start_time;
        track->codec_ = avcodec_alloc_context3(decoder);
        track->packet_ = av_packet_alloc();
        track->frame_ = av_frame_alloc();
        opened = track->codec_ && track->packet_ && track->frame_ &&
                 avcodec_parameters_to_context(track->codec_, stream->codecpar) >= 0 &&
                 avcodec_open2(track->codec_, decoder, nullptr) >= 0;
    });
    if (!opened) return nullptr;
    track->source_->Feed(MovieSource::kSound, track->streamIndex_);
    return track;
}

// The resampler is made for the first frame and made again whenever the
// frames change their channel layout, sample format or rate.
bool AudioTrack::Configure(const AVFrame &frame) {
    AVChannelLayout unspecified{};  // taken as the default layout of its channel count
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&unspecified, frame.ch_layout.nb_channels);
    const AVChannelLayout &layout = frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC ? unspecified : frame.ch_layout;
    if (resampler_ && av_channel_layout_compare(&layout, &input_) == 0 && frame.format == inputFormat_ &&
        frame.sample_rate == inputRate_)
        return true;
    swr_free(&resampler_);
    av_channel_layout_uninit(&input_);
    if (av_channel_layout_copy(&input_, &layout) < 0) return false;
    inputFormat_ = frame.format;
    inputRate_ = frame.sample_rate;
    AVChannelLayout output;
    av_channel_layout_default(&output, outputChannels_);
    const int made = swr_alloc_set_opts2(&resampler_, &output, AV_SAMPLE_FMT_S16, outputRate_, &input_,
                                         static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
    av_channel_layout_uninit(&output);
    if (made >= 0 && swr_init(resampler_) >= 0) return true;
    swr_free(&resampler_);
    return false;
}

bool AudioTrack::Next(std::vector<uint8_t> *pcm, STREAM_TIME *start) {
    for (;;) {
        const int received = avcodec_receive_frame(codec_, frame_);
        if (received == 0) {
            const bool converted = Convert(*frame_, pcm, start);
            av_frame_unref(frame_);
            if (converted) return true;
            continue;
        }
        if (received != AVERROR(EAGAIN) || draining_) return false;
        if (source_->Next(MovieSource::kSound, packet_) < 0) {
            draining_ = true;
            avcodec_send_packet(codec_, nullptr);
            continue;
        }
        avcodec_send_packet(codec_, packet_);
        av_packet_unref(packet_);
    }
}

bool AudioTrack::Convert(const AVFrame &frame, std::vector<uint8_t> *pcm, STREAM_TIME *start) {
    *start = nextStart_;
    // A timestamp too large to rescale (av_rescale_q gives INT64_MIN) is
    // taken as missing.
    const int64_t stamp = frame.best_effort_timestamp != AV_NOPTS_VALUE
                              ? av_rescale_q(frame.best_effort_timestamp, timeBase_, kStreamTimeBase)
                              : INT64_MIN;
    if (stamp != INT64_MIN)
        *start = SaturatingSub(stamp, av_rescale_q(originMicroseconds_, AV_TIME_BASE_Q, kStreamTimeBase));
    // A frame that cannot be converted is passed over.
    if (frame.nb_samples <= 0 || !RateAccepted(frame.sample_rate) || frame.ch_layout.nb_channels <= 0 || !Configure(frame))
        return false;
    const int capacity = swr_get_out_samples(resampler_, frame.nb_samples);
    if (capacity <= 0) return false;
    pcm->resize(static_cast<size_t>(capacity) * outputChannels_ * 2);
    uint8_t *out[1] = {pcm->data()};
    const int samples = swr_convert(resampler_, out, capacity, const_cast<const uint8_t **>(frame.extended_data),
                                    frame.nb_samples);
    if (samples <= 0) return false;
    pcm->resize(static_cast<size_t>(samples) * outputChannels_ * 2);
    nextStart_ = SaturatingAdd(*start, av_rescale(samples, 10000000, outputRate_));
    return true;
}

void AudioTrack::Seek(STREAM_TIME time) {
    int64_t target = SaturatingAdd(av_rescale_q(originMicroseconds_, AV_TIME_BASE_Q, timeBase_),
                                   av_rescale_q(time > 0 ? time : 0, kStreamTimeBase, timeBase_));
    // From the movie's start, the track plays from its own, which may lie
    // before the first frame.
    if (time <= 0 && streamStart_ != AV_NOPTS_VALUE) target = std::min(target, streamStart_);
    source_->SeekFor(MovieSource::kSound, target);
    avcodec_flush_buffers(codec_);
    if (resampler_) swr_init(resampler_);  // drops what the resampler still held
    draining_ = false;
    nextStart_ = time > 0 ? time : 0;
}

}  // namespace standin::mmstream
