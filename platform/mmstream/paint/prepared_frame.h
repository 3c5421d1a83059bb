// A frame painted ahead of its time into memory of its own, in a surface's
// layout and size: once the frame is due, writing it is a copy of rows
// instead of a conversion (several milliseconds for a 1080p frame).
#pragma once

#include <cstdint>
#include <vector>

#include <ddraw.h>

#include "mmstream/paint/frame_painter.h"

struct AVFrame;

namespace standin::mmstream {

class PreparedFrame {
public:
    // Paints `frame` at width x height in `layout`; false (holding nothing)
    // when the painter cannot. The memory is kept for the next frame.
    bool Paint(const AVFrame &frame, const DDPIXELFORMAT &layout, int width, int height, FramePainter &painter);
    // Whether it holds a frame painted for this layout and size.
    bool Fits(const DDPIXELFORMAT &layout, int width, int height) const;
    // Copies the rows to `pixels`, rows `pitch` bytes apart.
    void CopyTo(uint8_t *pixels, LONG pitch) const;

private:
    std::vector<uint8_t> pixels_;
    size_t rowBytes_ = 0;
    DDPIXELFORMAT layout_{};
    int width_ = 0;
    int height_ = 0;
    bool painted_ = false;
};

}  // namespace standin::mmstream
