// Translates the indices of palettized frames whose palette differs from the
// stream's own (a movie that changes its palette mid-stream) to the entries
// of the stream palette that come nearest to their colours.
//
// The tables are kept per distinct palette, so a movie that switches between
// a few palettes builds each table once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include <windows.h>

namespace standin::mmstream {

class PaletteTranslation {
public:
    // `streamPalette`: entries as 0x00RRGGBB.
    explicit PaletteTranslation(const std::array<uint32_t, 256> &streamPalette);

    // For a frame palette of 256 0xAARRGGBB entries (FFmpeg's PAL8 layout):
    // null when it has the stream palette's colours, else the table from
    // its indices to stream palette indices.
    const uint8_t *For(const uint32_t *framePalette);

private:
    struct Table {
        std::array<uint32_t, 256> colours;
        std::array<uint8_t, 256> indices;
    };
    // At most this many tables are kept; a movie with a new palette on
    // every frame reuses the oldest slot.
    static constexpr size_t kKept = 16;

    const std::array<uint32_t, 256> streamPalette_;
    PALETTEENTRY streamEntries_[256];  // the same, for the nearest-colour search
    std::vector<Table> tables_;
    size_t nextSlot_ = 0;
};

}  // namespace standin::mmstream
