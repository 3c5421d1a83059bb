#include "plain_libav_loop.h"

#include "common/allocation_count.h"

#include <chrono>
#include <ctime>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void SteadyAllocations::FrameDone(int frames) {
    const uint64_t count = AllocationCount();
    if (frames == kSteadyFrom) start_ = count;
    end_ = count;
}

double SteadyAllocations::PerFrame(int frames) const {
    if (!AllocationCountingAvailable() || frames <= kSteadyFrom) return -1;
    return static_cast<double>(end_ - start_) / (frames - kSteadyFrom);
}

namespace {

// Owns everything the loop opens; frees it whatever way the loop ends.
struct Decoding {
    AVFormatContext *format = nullptr;
    AVCodecContext *codec = nullptr;
    AVPacket *packet = nullptr;
    AVFrame *frame = nullptr;
    SwsContext *scaler = nullptr;
    uint8_t *planes[4] = {};
    int strides[4] = {};
    ~Decoding() {
        av_freep(&planes[0]);
        sws_freeContext(scaler);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

AVPixelFormat FormatOf(ReferenceTarget target) {
    switch (target) {
    case ReferenceTarget::Bgr0: return AV_PIX_FMT_BGR0;
    case ReferenceTarget::Bgr8: return AV_PIX_FMT_BGR8;
    case ReferenceTarget::Pal8: break;
    }
    return AV_PIX_FMT_PAL8;
}

// Into the buffer: libswscale converts, pal8 into pal8 is a copy.
bool Convert(Decoding &d, AVPixelFormat out) {
    const AVFrame &frame = *d.frame;
    if (!d.planes[0] && av_image_alloc(d.planes, d.strides, frame.width, frame.height, out, 32) < 0) return false;
    if (out == AV_PIX_FMT_PAL8) {
        av_image_copy_plane(d.planes[0], d.strides[0], frame.data[0], frame.linesize[0], frame.width, frame.height);
        return true;
    }
    if (!d.scaler)
        d.scaler = sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format), frame.width,
                                  frame.height, out, SWS_POINT, nullptr, nullptr, nullptr);
    if (!d.scaler) return false;
    sws_scale(d.scaler, frame.data, frame.linesize, 0, frame.height, d.planes, d.strides);
    return true;
}

bool Fail(std::string *error, const char *what) {
    *error = std::string("plain libav loop: ") + what;
    return false;
}

}  // namespace

bool PlainLibavLoop(const std::string &path, ReferenceTarget target, LoopResult *result, std::string *error) {
    Decoding d;
    if (avformat_open_input(&d.format, path.c_str(), nullptr, nullptr) < 0) return Fail(error, "open");
    if (avformat_find_stream_info(d.format, nullptr) < 0) return Fail(error, "stream info");
    const AVCodec *decoder = nullptr;
    const int stream = av_find_best_stream(d.format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (stream < 0 || !decoder) return Fail(error, "no video stream");
    d.codec = avcodec_alloc_context3(decoder);
    d.packet = av_packet_alloc();
    d.frame = av_frame_alloc();
    if (!d.codec || !d.packet || !d.frame) return Fail(error, "out of memory");
    avcodec_parameters_to_context(d.codec, d.format->streams[stream]->codecpar);
    // FFmpeg's default threading, as its command line sets it: the thread
    // count chosen by FFmpeg, frame and slice threads as the codec takes.
    d.codec->thread_count = 0;
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer cannot follow FFmpeg's own frame-thread hand-overs in
    // an uninstrumented library, and would report each as a race.
    d.codec->thread_type = FF_THREAD_SLICE;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
    d.codec->thread_type = FF_THREAD_SLICE;
#endif
#endif
    if (avcodec_open2(d.codec, decoder, nullptr) < 0) return Fail(error, "decoder");
    for (unsigned i = 0; i < d.format->nb_streams; ++i)
        if (static_cast<int>(i) != stream) d.format->streams[i]->discard = AVDISCARD_ALL;

    const AVPixelFormat out = FormatOf(target);
    int frames = 0;
    SteadyAllocations allocations;
    bool draining = false;
    const auto started = std::chrono::steady_clock::now();
    const double cpuStarted = ProcessCpuSeconds();
    for (;;) {
        const int received = avcodec_receive_frame(d.codec, d.frame);
        if (received == 0) {
            if (!Convert(d, out)) return Fail(error, "conversion");
            allocations.FrameDone(++frames);
            continue;
        }
        if (received != AVERROR(EAGAIN) || draining) break;
        if (av_read_frame(d.format, d.packet) < 0) {
            draining = true;
            avcodec_send_packet(d.codec, nullptr);
            continue;
        }
        if (d.packet->stream_index == stream) avcodec_send_packet(d.codec, d.packet);
        av_packet_unref(d.packet);
    }
    result->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    result->cpuSeconds = ProcessCpuSeconds() - cpuStarted;
    result->frames = frames;
    result->allocationsPerFrame = allocations.PerFrame(frames);
    return frames > 0 || Fail(error, "no frame decoded");
}
