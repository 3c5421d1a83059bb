// Converts decoded frames into the pixel layout of a DirectDraw surface.
//
// Frames of any size and pixel format are scaled to the size asked for.
// 16-bit (565 and 555), 24-bit and 32-bit RGB layouts go through libswscale.
// On an 8-bit palettized layout palettized frames keep their indices (or,
// when their palette is not the stream's, take the nearest entries of the
// stream palette) and true-colour frames are mapped to the entries of the
// given palette: RGB frames colour by colour, lossy YUV frames through a
// dithered 15-bit picture.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include <ddraw.h>

#include "mmstream/palette/palette_map.h"
#include "mmstream/palette/palette_translation.h"

struct AVFrame;
struct SwsContext;

namespace standin::mmstream {

class FramePainter {
public:
    // `indexPalette`: the stream palette that frames are mapped to on an
    // 8-bit layout (0x00RRGGBB entries).
    explicit FramePainter(const std::array<uint32_t, 256> &indexPalette)
        : indexPalette_(indexPalette), translation_(indexPalette) {}
    ~FramePainter();
    FramePainter(const FramePainter &) = delete;
    FramePainter &operator=(const FramePainter &) = delete;

    // Writes the whole frame scaled to width x height at `pixels`, rows
    // `pitch` bytes apart. DDERR_INVALIDPIXELFORMAT for a layout it cannot
    // produce, DDERR_UNSUPPORTEDFORMAT for a frame it cannot read; nothing
    // is written then.
    HRESULT Paint(const AVFrame &frame, const DDPIXELFORMAT &layout, uint8_t *pixels, LONG pitch, int width,
                  int height);

    // Copies a palettized frame's palette into the painter and lets go of
    // the decoder's buffer, before the frame is painted: decoders that keep
    // one palette buffer (rawvideo) then reuse it for the next frame, which
    // may be decoded meanwhile, instead of copying it.
    void HoldPalette(AVFrame &frame);

private:
    HRESULT Convert(const AVFrame &frame, int targetFormat, uint8_t *pixels, int pitch, int width, int height);
    HRESULT PaintIndices(const AVFrame &frame, uint8_t *pixels, LONG pitch, int width, int height);
    void CopyIndices(const AVFrame &frame, uint8_t *pixels, LONG pitch, int width, int height);
    HRESULT MapRgb24(const AVFrame &frame, uint8_t *pixels, LONG pitch, int width, int height);
    HRESULT MapRgb555(const AVFrame &frame, uint8_t *pixels, LONG pitch, int width, int height);

    const std::array<uint32_t, 256> indexPalette_;
    PaletteTranslation translation_;
    const PaletteMap *paletteMap_ = nullptr;    // found or made on first need
    std::shared_ptr<const PaletteMap> ownMap_;  // for a palette of the movie's own
    // What the converter was made for: sizes and formats in and out.
    struct ConverterKey {
        int width, height, format, targetWidth, targetHeight, targetFormat;
        bool operator==(const ConverterKey &other) const {
            return width == other.width && height == other.height && format == other.format &&
                   targetWidth == other.targetWidth && targetHeight == other.targetHeight &&
                   targetFormat == other.targetFormat;
        }
    };
    SwsContext *scaler_ = nullptr;
    ConverterKey scalerKey_{};
    alignas(16) std::array<uint32_t, 256> heldPalette_{};
    // True-colour frames on their way to indices.
    std::vector<uint8_t> rgb_;
    std::vector<uint16_t> rgb555_;
};

// Whether FramePainter can write into surfaces of this layout.
bool CanPaint(const DDPIXELFORMAT &layout);

}  // namespace standin::mmstream
