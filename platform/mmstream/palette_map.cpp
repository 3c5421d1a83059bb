#include "mmstream/palette_map.h"

#include <map>

namespace standin::mmstream {

namespace {

int CellOf(uint32_t rgb) {
    return static_cast<int>(((rgb >> 19) & 31) << 10 | ((rgb >> 11) & 31) << 5 | ((rgb >> 3) & 31));
}

uint8_t NearestToCentre(const std::array<uint32_t, 256> &palette, int cell) {
    const int r = ((cell >> 10) & 31) * 8 + 4, g = ((cell >> 5) & 31) * 8 + 4, b = (cell & 31) * 8 + 4;
    int best = 0, bestDistance = 1 << 30;
    for (int i = 0; i < 256; ++i) {
        const int dr = r - static_cast<int>((palette[i] >> 16) & 0xFF);
        const int dg = g - static_cast<int>((palette[i] >> 8) & 0xFF);
        const int db = b - static_cast<int>(palette[i] & 0xFF);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) best = i, bestDistance = distance;
    }
    return static_cast<uint8_t>(best);
}

}  // namespace

PaletteMap::PaletteMap(const std::array<uint32_t, 256> &palette) : cells_(32 * 32 * 32), centreNearest_(32 * 32 * 32) {
    for (int cell = 0; cell < 32 * 32 * 32; ++cell) {
        centreNearest_[cell] = NearestToCentre(palette, cell);
        cells_[cell] = centreNearest_[cell];
    }
    // The palette's colours by cell, each with its lowest index.
    std::map<int, std::map<uint32_t, uint8_t>> byCell;
    for (int i = 255; i >= 0; --i) {
        const uint32_t rgb = palette[i] & 0xFFFFFF;
        byCell[CellOf(rgb)][rgb] = static_cast<uint8_t>(i);
    }
    for (const auto &[cell, colours] : byCell) {
        const uint8_t nearest = static_cast<uint8_t>(cells_[cell]);
        cells_[cell] = static_cast<uint16_t>(kListed + listed_.size());
        for (const auto &[rgb, index] : colours) listed_.push_back({rgb, index});
        listed_.push_back({kEnd, nearest});
    }
}

uint8_t PaletteMap::InListedCell(size_t first, uint32_t rgb) const {
    const Listed *entry = &listed_[first];
    while (entry->rgb != rgb && entry->rgb != kEnd) ++entry;
    return entry->index;
}

}  // namespace standin::mmstream
