#include "mmstream/palette/palette_map.h"

#include <map>

namespace standin::mmstream {

namespace {

int CellOf(uint32_t rgb) {
    return static_cast<int>(((rgb >> 19) & 31) << 10 | ((rgb >> 11) & 31) << 5 | ((rgb >> 3) & 31));
}

// Cells are mapped in blocks of 4x4x4. Only entries that may be the nearest
// to some centre of a block are measured for its cells: those no farther
// from the block's box of centres than the entry whose farthest centre is
// nearest. That leaves a handful of the 256, and the same answers.
constexpr int kBlockSide = 4;  // cells
constexpr int kCellSide = 8;   // colour levels

struct Rgb {
    int r, g, b;
};

Rgb Channels(uint32_t rgb) {
    return {static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>(rgb & 0xFF)};
}

// Squared distances from `v` to the nearest and to the farthest of the
// levels lo..hi, added to `nearest` and `farthest`.
void AddAxis(int v, int lo, int hi, int *nearest, int *farthest) {
    const int below = v < lo ? lo - v : 0;
    const int above = v > hi ? v - hi : 0;
    const int outside = below + above;
    const int far = v - lo > hi - v ? v - lo : hi - v;
    *nearest += outside * outside;
    *farthest += far * far;
}

// Entries that may be the nearest to a centre of the block whose first cell
// is (r0, g0, b0), in ascending order.
void Candidates(const std::array<Rgb, 256> &entries, int r0, int g0, int b0, std::vector<uint8_t> *out) {
    const int span = (kBlockSide - 1) * kCellSide;
    const int lo[3] = {r0 * kCellSide + kCellSide / 2, g0 * kCellSide + kCellSide / 2, b0 * kCellSide + kCellSide / 2};
    std::array<int, 256> nearest{};
    int bound = 1 << 30;
    for (int i = 0; i < 256; ++i) {
        int farthest = 0;
        AddAxis(entries[i].r, lo[0], lo[0] + span, &nearest[i], &farthest);
        AddAxis(entries[i].g, lo[1], lo[1] + span, &nearest[i], &farthest);
        AddAxis(entries[i].b, lo[2], lo[2] + span, &nearest[i], &farthest);
        if (farthest < bound) bound = farthest;
    }
    out->clear();
    // An entry as near as the bound may tie with the nearest.
    for (int i = 0; i < 256; ++i)
        if (nearest[i] <= bound) out->push_back(static_cast<uint8_t>(i));
}

// The entry nearest to the cell's centre; the lowest index of equals.
uint8_t NearestToCentre(const std::array<Rgb, 256> &entries, const std::vector<uint8_t> &candidates, int cell) {
    const int r = ((cell >> 10) & 31) * kCellSide + kCellSide / 2;
    const int g = ((cell >> 5) & 31) * kCellSide + kCellSide / 2;
    const int b = (cell & 31) * kCellSide + kCellSide / 2;
    uint8_t best = 0;
    int bestDistance = 1 << 30;
    for (const uint8_t i : candidates) {
        const int dr = r - entries[i].r, dg = g - entries[i].g, db = b - entries[i].b;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) best = i, bestDistance = distance;
    }
    return best;
}

}  // namespace

PaletteMap::PaletteMap(const std::array<uint32_t, 256> &palette) : cells_(32 * 32 * 32), centreNearest_(32 * 32 * 32) {
    std::array<Rgb, 256> entries;
    for (int i = 0; i < 256; ++i) entries[i] = Channels(palette[i]);
    std::vector<uint8_t> candidates;
    candidates.reserve(256);
    for (int r0 = 0; r0 < 32; r0 += kBlockSide)
        for (int g0 = 0; g0 < 32; g0 += kBlockSide)
            for (int b0 = 0; b0 < 32; b0 += kBlockSide) {
                Candidates(entries, r0, g0, b0, &candidates);
                for (int r = r0; r < r0 + kBlockSide; ++r)
                    for (int g = g0; g < g0 + kBlockSide; ++g)
                        for (int b = b0; b < b0 + kBlockSide; ++b) {
                            const int cell = r << 10 | g << 5 | b;
                            centreNearest_[cell] = NearestToCentre(entries, candidates, cell);
                            cells_[cell] = centreNearest_[cell];
                        }
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
