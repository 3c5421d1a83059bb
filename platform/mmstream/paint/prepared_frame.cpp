#include "mmstream/paint/prepared_frame.h"

#include <cstring>

namespace standin::mmstream {

namespace {

bool SameLayout(const DDPIXELFORMAT &a, const DDPIXELFORMAT &b) {
    return a.dwFlags == b.dwFlags && a.dwRGBBitCount == b.dwRGBBitCount && a.dwRBitMask == b.dwRBitMask &&
           a.dwGBitMask == b.dwGBitMask && a.dwBBitMask == b.dwBBitMask;
}

}  // namespace

bool PreparedFrame::Paint(const AVFrame &frame, const DDPIXELFORMAT &layout, int width, int height,
                          FramePainter &painter) {
    painted_ = false;
    const DWORD bits = layout.dwRGBBitCount;
    if (width <= 0 || height <= 0 || bits == 0 || bits % 8 != 0) return false;
    rowBytes_ = static_cast<size_t>(width) * (bits / 8);
    // Rows 32 bytes apart at least, for libswscale's vector stores.
    const size_t pitch = (rowBytes_ + 31) & ~size_t{31};
    pixels_.resize(pitch * static_cast<size_t>(height));
    if (FAILED(painter.Paint(frame, layout, pixels_.data(), static_cast<LONG>(pitch), width, height))) return false;
    layout_ = layout;
    width_ = width;
    height_ = height;
    painted_ = true;
    return true;
}

bool PreparedFrame::Fits(const DDPIXELFORMAT &layout, int width, int height) const {
    return painted_ && width == width_ && height == height_ && SameLayout(layout, layout_);
}

void PreparedFrame::CopyTo(uint8_t *pixels, LONG pitch) const {
    const size_t from = (rowBytes_ + 31) & ~size_t{31};
    for (int y = 0; y < height_; ++y)
        std::memcpy(pixels + static_cast<ptrdiff_t>(y) * pitch, pixels_.data() + from * static_cast<size_t>(y),
                    rowBytes_);
}

}  // namespace standin::mmstream
