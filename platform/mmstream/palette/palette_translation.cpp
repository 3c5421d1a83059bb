#include "mmstream/palette/palette_translation.h"

#include "gdi/nearest_colour.h"

namespace standin::mmstream {

namespace {

bool SameColours(const uint32_t *framePalette, const std::array<uint32_t, 256> &colours) {
    for (size_t i = 0; i < colours.size(); ++i)
        if ((framePalette[i] & 0xFFFFFFu) != colours[i]) return false;
    return true;
}

}  // namespace

PaletteTranslation::PaletteTranslation(const std::array<uint32_t, 256> &streamPalette)
    : streamPalette_(streamPalette) {
    for (size_t i = 0; i < 256; ++i)
        streamEntries_[i] = {static_cast<BYTE>(streamPalette[i] >> 16), static_cast<BYTE>(streamPalette[i] >> 8),
                             static_cast<BYTE>(streamPalette[i]), 0};
}

const uint8_t *PaletteTranslation::For(const uint32_t *framePalette) {
    if (SameColours(framePalette, streamPalette_)) return nullptr;
    for (const Table &table : tables_)
        if (SameColours(framePalette, table.colours)) return table.indices.data();
    Table *table;
    if (tables_.size() < kKept) {
        table = &tables_.emplace_back();
    } else {
        table = &tables_[nextSlot_];
        nextSlot_ = (nextSlot_ + 1) % kKept;
    }
    for (size_t i = 0; i < 256; ++i) {
        const uint32_t rgb = framePalette[i] & 0xFFFFFFu;
        table->colours[i] = rgb;
        table->indices[i] = static_cast<uint8_t>(NearestColourIndex(streamEntries_, 256, static_cast<BYTE>(rgb >> 16),
                                                                   static_cast<BYTE>(rgb >> 8), static_cast<BYTE>(rgb)));
    }
    return table->indices.data();
}

}  // namespace standin::mmstream
