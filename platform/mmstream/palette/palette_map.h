// Maps colours to the entries of a 256-colour palette: a colour of the
// palette to its own entry, any other to the nearest one (read from a table
// of 32x32x32 colour cells, each standing for its centre).
//
// Most cells hold no palette colour and answer with one table read; the
// few that do point to a short list of their palette colours, checked first.
// Colours known only to five bits a channel (RGB555, from lossy sources)
// take the entry nearest to their cell's centre, with one table read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace standin::mmstream {

class PaletteMap {
public:
    // Entries as 0x00RRGGBB.
    explicit PaletteMap(const std::array<uint32_t, 256> &palette);

    uint8_t IndexOf(uint8_t red, uint8_t green, uint8_t blue) const {
        const uint16_t cell = cells_[((red >> 3) << 10) | ((green >> 3) << 5) | (blue >> 3)];
        if (cell < kListed) return static_cast<uint8_t>(cell);
        return InListedCell(cell - kListed, (uint32_t{red} << 16) | (uint32_t{green} << 8) | blue);
    }
    // `rgb555`: red in bits 10-14, green in 5-9, blue in 0-4.
    uint8_t IndexOf555(uint16_t rgb555) const { return centreNearest_[rgb555 & 0x7FFF]; }

private:
    // Cell values from here on are kListed + the cell's first place in listed_.
    static constexpr uint16_t kListed = 256;
    // A cell's list ends with kEnd and the cell's nearest entry.
    static constexpr uint32_t kEnd = 0xFFFFFFFF;
    struct Listed {
        uint32_t rgb;
        uint8_t index;
    };

    uint8_t InListedCell(size_t first, uint32_t rgb) const;

    std::vector<uint16_t> cells_;
    std::vector<uint8_t> centreNearest_;  // every cell's nearest entry
    std::vector<Listed> listed_;
};

}  // namespace standin::mmstream
