// A decoded video frame with its place on the stream clock.
#pragma once

#include <memory>

extern "C" {
#include <libavutil/frame.h>
}

#include <mmstream.h>

namespace standin::mmstream {

struct FrameDeleter {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

struct DecodedFrame {
    FramePtr picture;
    STREAM_TIME start = 0;  // 100 ns units from the beginning of the movie
    STREAM_TIME end = 0;
};

}  // namespace standin::mmstream
