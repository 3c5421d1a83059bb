#include "mmstream/paint/frame_painter.h"

#include <cstring>

extern "C" {
#include <libavutil/buffer.h>
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include "mmstream/palette/fixed_palette.h"
#include "mmstream/palette/palette_map_cache.h"

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

bool IsRgb(int format) {
    const AVPixFmtDescriptor *descriptor = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(format));
    return descriptor && (descriptor->flags & AV_PIX_FMT_FLAG_RGB);
}

}  // namespace

bool CanPaint(const DDPIXELFORMAT &layout) { return IsIndexed(layout) || RgbFormatOf(layout) != AV_PIX_FMT_NONE; }

FramePainter::~FramePainter() { sws_freeContext(scaler_); }

HRESULT FramePainter::Paint(const AVFrame &frame, const DDPIXELFORMAT &layout, uint8_t *pixels, LONG pitch,
                            int width, int height) {
    if (frame.width <= 0 || frame.height <= 0 || !frame.data[0]) return DDERR_UNSUPPORTEDFORMAT;
    if (IsIndexed(layout)) return PaintIndices(frame, pixels, pitch, width, height);
    const AVPixelFormat target = RgbFormatOf(layout);
    if (target == AV_PIX_FMT_NONE) return DDERR_INVALIDPIXELFORMAT;
    return Convert(frame, target, pixels, pitch, width, height);
}

HRESULT FramePainter::Convert(const AVFrame &frame, int targetFormat, uint8_t *pixels, int pitch, int width,
                              int height) {
    // Frames of the stream's own size only change their format; others
    // (a mid-stream size change) are scaled by nearest neighbour. The fast
    // paths (no accurate rounding, no full chroma interpolation) round a
    // colour a step or two differently, at several times the speed.
    const ConverterKey key{frame.width, frame.height, frame.format, width, height, targetFormat};
    if (!scaler_ || !(key == scalerKey_)) {
        // Made anew only when something changes: libswscale adjusts the
        // flags it was given, so its own cache would miss every time.
        sws_freeContext(scaler_);
        scaler_ = sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format), width, height,
                                 static_cast<AVPixelFormat>(targetFormat), SWS_POINT, nullptr, nullptr, nullptr);
        scalerKey_ = key;
    }
    if (!scaler_) return DDERR_UNSUPPORTEDFORMAT;
    uint8_t *planes[4] = {pixels, nullptr, nullptr, nullptr};
    const int strides[4] = {pitch, 0, 0, 0};
    if (sws_scale(scaler_, frame.data, frame.linesize, 0, frame.height, planes, strides) != height)
        return DDERR_UNSUPPORTEDFORMAT;
    return S_OK;
}

void FramePainter::HoldPalette(AVFrame &frame) {
    if (frame.format != AV_PIX_FMT_PAL8 || !frame.buf[1] || !frame.data[1]) return;
    std::memcpy(heldPalette_.data(), frame.data[1], sizeof heldPalette_);
    av_buffer_unref(&frame.buf[1]);
    frame.data[1] = reinterpret_cast<uint8_t *>(heldPalette_.data());
}

// Palettized frames: their indices, through the stream palette when the
// frame brings another one, scaled by nearest neighbour.
void FramePainter::CopyIndices(const AVFrame &frame, uint8_t *pixels, LONG pitch, int width, int height) {
    const uint8_t *translation =
        frame.data[1] ? translation_.For(reinterpret_cast<const uint32_t *>(frame.data[1])) : nullptr;
    for (int y = 0; y < height; ++y) {
        const int sourceY = static_cast<int>(static_cast<int64_t>(y) * frame.height / height);
        const uint8_t *source = frame.data[0] + static_cast<ptrdiff_t>(sourceY) * frame.linesize[0];
        uint8_t *row = pixels + static_cast<ptrdiff_t>(y) * pitch;
        if (width == frame.width && !translation) {
            std::memcpy(row, source, width);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const uint8_t index = source[static_cast<int64_t>(x) * frame.width / width];
            row[x] = translation ? translation[index] : index;
        }
    }
}

HRESULT FramePainter::PaintIndices(const AVFrame &frame, uint8_t *pixels, LONG pitch, int width, int height) {
    if (frame.format == AV_PIX_FMT_PAL8) {
        CopyIndices(frame, pixels, pitch, width, height);
        return S_OK;
    }
    if (!paletteMap_) {
        if (indexPalette_ == FixedPalette()) {
            paletteMap_ = &FixedPaletteMap();
        } else {
            ownMap_ = SharedPaletteMap(indexPalette_);
            paletteMap_ = ownMap_.get();
        }
    }
    return IsRgb(frame.format) ? MapRgb24(frame, pixels, pitch, width, height)
                               : MapRgb555(frame, pixels, pitch, width, height);
}

// RGB frames keep their exact colours on the way: a colour of the palette
// finds its own entry.
HRESULT FramePainter::MapRgb24(const AVFrame &frame, uint8_t *pixels, LONG pitch, int width, int height) {
    const int rgbPitch = (width * 3 + 31) & ~31;
    rgb_.resize(static_cast<size_t>(rgbPitch) * height);
    const HRESULT hr = Convert(frame, AV_PIX_FMT_RGB24, rgb_.data(), rgbPitch, width, height);
    if (FAILED(hr)) return hr;
    for (int y = 0; y < height; ++y) {
        const uint8_t *rgb = rgb_.data() + static_cast<size_t>(y) * rgbPitch;
        uint8_t *row = pixels + static_cast<ptrdiff_t>(y) * pitch;
        for (int x = 0; x < width; ++x, rgb += 3) row[x] = paletteMap_->IndexOf(rgb[0], rgb[1], rgb[2]);
    }
    return S_OK;
}

// YUV frames are lossy already: libswscale's dithered RGB555 and one table
// read a pixel cost a fraction of exact colours looked up cell by cell.
HRESULT FramePainter::MapRgb555(const AVFrame &frame, uint8_t *pixels, LONG pitch, int width, int height) {
    const int rgbPitch = (width + 15) & ~15;  // in pixels
    rgb555_.resize(static_cast<size_t>(rgbPitch) * height);
    const HRESULT hr = Convert(frame, AV_PIX_FMT_RGB555LE, reinterpret_cast<uint8_t *>(rgb555_.data()),
                               rgbPitch * 2, width, height);
    if (FAILED(hr)) return hr;
    for (int y = 0; y < height; ++y) {
        const uint16_t *rgb = rgb555_.data() + static_cast<size_t>(y) * rgbPitch;
        uint8_t *row = pixels + static_cast<ptrdiff_t>(y) * pitch;
        for (int x = 0; x < width; ++x) row[x] = paletteMap_->IndexOf555(rgb[x]);
    }
    return S_OK;
}

}  // namespace standin::mmstream
