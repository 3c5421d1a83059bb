#include "mmstream/frame_painter.h"

#include <cstring>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include "mmstream/fixed_palette.h"

namespace standin::mmstream {

namespace {

bool Masks(const DDPIXELFORMAT &layout, DWORD red, DWORD green, DWORD blue) {
    return layout.dwRBitMask == red && layout.dwGBitMask == green && layout.dwBBitMask == blue;
}

bool IsIndexed(const DDPIXELFORMAT &layout) {
    return (layout.dwFlags & DDPF_PALETTEINDEXED8) && layout.dwRGBBitCount == 8;
}

// The libswscale format whose bytes in memory match an RGB surface layout.
AVPixelFormat RgbFormatOf(const DDPIXELFORMAT &layout) {
    if (!(layout.dwFlags & DDPF_RGB) || (layout.dwFlags & DDPF_PALETTEINDEXED8)) return AV_PIX_FMT_NONE;
    switch (layout.dwRGBBitCount) {
    case 16:
        if (Masks(layout, 0xF800, 0x07E0, 0x001F)) return AV_PIX_FMT_RGB565LE;
        if (Masks(layout, 0x7C00, 0x03E0, 0x001F)) return AV_PIX_FMT_RGB555LE;
        break;
    case 24:
        if (Masks(layout, 0xFF0000, 0xFF00, 0xFF)) return AV_PIX_FMT_BGR24;
        if (Masks(layout, 0xFF, 0xFF00, 0xFF0000)) return AV_PIX_FMT_RGB24;
        break;
    case 32:
        if (Masks(layout, 0xFF0000, 0xFF00, 0xFF)) return AV_PIX_FMT_BGR0;
        if (Masks(layout, 0xFF, 0xFF00, 0xFF0000)) return AV_PIX_FMT_RGB0;
        break;
    default:
        break;
    }
    return AV_PIX_FMT_NONE;
}

}  // namespace

bool CanPaint(const DDPIXELFORMAT &layout) { return IsIndexed(layout) || RgbFormatOf(layout) != AV_PIX_FMT_NONE; }

FramePainter::~FramePainter() { sws_freeContext(scaler_); }

HRESULT FramePainter::Paint(const AVFrame &frame, const DDPIXELFORMAT &layout, uint8_t *pixels, LONG pitch) {
    if (IsIndexed(layout)) return PaintIndices(frame, pixels, pitch);
    const AVPixelFormat target = RgbFormatOf(layout);
    if (target == AV_PIX_FMT_NONE) return DDERR_INVALIDPIXELFORMAT;
    return Convert(frame, target, pixels, pitch);
}

HRESULT FramePainter::Convert(const AVFrame &frame, int targetFormat, uint8_t *pixels, int pitch) {
    // Same size in and out: no scaling happens, only the change of format.
    scaler_ = sws_getCachedContext(scaler_, frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
                                   frame.width, frame.height, static_cast<AVPixelFormat>(targetFormat),
                                   SWS_POINT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT | SWS_FULL_CHR_H_INP,
                                   nullptr, nullptr, nullptr);
    if (!scaler_) return DDERR_UNSUPPORTEDFORMAT;
    uint8_t *planes[4] = {pixels, nullptr, nullptr, nullptr};
    const int strides[4] = {pitch, 0, 0, 0};
    sws_scale(scaler_, frame.data, frame.linesize, 0, frame.height, planes, strides);
    return S_OK;
}

HRESULT FramePainter::PaintIndices(const AVFrame &frame, uint8_t *pixels, LONG pitch) {
    if (frame.format == AV_PIX_FMT_PAL8) {
        for (int y = 0; y < frame.height; ++y)
            std::memcpy(pixels + static_cast<ptrdiff_t>(y) * pitch, frame.data[0] + static_cast<ptrdiff_t>(y) * frame.linesize[0],
                        frame.width);
        return S_OK;
    }
    const int rgbPitch = (frame.width * 3 + 31) & ~31;
    rgb_.resize(static_cast<size_t>(rgbPitch) * frame.height);
    const HRESULT hr = Convert(frame, AV_PIX_FMT_RGB24, rgb_.data(), rgbPitch);
    if (FAILED(hr)) return hr;
    if (!paletteMap_) {
        if (indexPalette_ == FixedPalette()) {
            paletteMap_ = &FixedPaletteMap();
        } else {
            ownMap_ = std::make_unique<PaletteMap>(indexPalette_);
            paletteMap_ = ownMap_.get();
        }
    }
    for (int y = 0; y < frame.height; ++y) {
        const uint8_t *rgb = rgb_.data() + static_cast<size_t>(y) * rgbPitch;
        uint8_t *row = pixels + static_cast<ptrdiff_t>(y) * pitch;
        for (int x = 0; x < frame.width; ++x, rgb += 3) row[x] = paletteMap_->IndexOf(rgb[0], rgb[1], rgb[2]);
    }
    return S_OK;
}

}  // namespace standin::mmstream
