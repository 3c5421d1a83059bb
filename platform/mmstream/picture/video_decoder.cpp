#include "mmstream/picture/video_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

// FFmpeg's frame threads hand pictures over through atomics of its own,
// which ThreadSanitizer cannot see in an uninstrumented library: it would
// report every hand-over as a race.
#if defined(__SANITIZE_THREAD__)
#define STANDIN_FRAME_THREADS 0
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define STANDIN_FRAME_THREADS 0
#endif
#endif
#ifndef STANDIN_FRAME_THREADS
#define STANDIN_FRAME_THREADS 1
#endif

namespace standin::mmstream {

namespace {

// Frames from this many pixels up are decoded with slice threads.
constexpr int64_t kSliceThreadsFromPixels = 640 * 480;

}  // namespace

HRESULT OpenVideoDecoder(const AVStream &stream, AVCodecContext **codec) {
    *codec = nullptr;
    const AVCodec *decoder = avcodec_find_decoder(stream.codecpar->codec_id);
    if (!decoder) return VFW_E_UNSUPPORTED_STREAM;
    AVCodecContext *opened = avcodec_alloc_context3(decoder);
    if (!opened || avcodec_parameters_to_context(opened, stream.codecpar) < 0) {
        avcodec_free_context(&opened);
        return E_OUTOFMEMORY;
    }
    // FFmpeg's own threading, as its command line sets it: as many threads
    // as FFmpeg chooses for the cores, frame threads where the decoder has
    // them (H.264 from x264 has one slice a frame, so slice threads alone
    // leave it on one core). Frame threads hold back a frame per extra
    // thread; the decoder keeps decoding those meanwhile, so they add to
    // the decoding thread's one frame ahead rather than delay playback.
    // ThreadSanitizer builds take slice threads only (see above).
    // Small frames decode on the decoding thread alone: starting the
    // threads (which avcodec_open2 waits for) costs more than they save.
    const bool small = int64_t{stream.codecpar->width} * stream.codecpar->height < kSliceThreadsFromPixels;
    opened->thread_count = small ? 1 : 0;
    if (!STANDIN_FRAME_THREADS) opened->thread_type = FF_THREAD_SLICE;
    // Whatever the headers said, the decoder makes no larger frame.
    opened->max_pixels = kMaxFramePixels;
    const int result = avcodec_open2(opened, decoder, nullptr);
    if (result < 0) {
        avcodec_free_context(&opened);
        return result == AVERROR(ENOMEM) ? E_OUTOFMEMORY : VFW_E_UNSUPPORTED_STREAM;
    }
    *codec = opened;
    return S_OK;
}

}  // namespace standin::mmstream
