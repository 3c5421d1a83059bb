// Maps colours to the entries of a 256-colour palette: a colour of the
// palette to its own entry, any other to the nearest one (read from a table
// of 32x32x32 colour cells, each standing for its centre).
#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace standin::mmstream {

class PaletteMap {
public:
    // Entries as 0x00RRGGBB.
    explicit PaletteMap(const std::array<uint32_t, 256> &palette);

    uint8_t IndexOf(uint8_t red, uint8_t green, uint8_t blue) const;

private:
    std::unordered_map<uint32_t, uint8_t> exact_;
    std::vector<uint8_t> nearest_;
};

}  // namespace standin::mmstream
