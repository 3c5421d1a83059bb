#include "mmstream/palette_map.h"

namespace standin::mmstream {

PaletteMap::PaletteMap(const std::array<uint32_t, 256> &palette) : nearest_(32 * 32 * 32) {
    // The lowest index wins among equal colours.
    for (int i = 255; i >= 0; --i) exact_[palette[i]] = static_cast<uint8_t>(i);
    for (int cell = 0; cell < 32 * 32 * 32; ++cell) {
        const int r = ((cell >> 10) & 31) * 8 + 4, g = ((cell >> 5) & 31) * 8 + 4, b = (cell & 31) * 8 + 4;
        int best = 0, bestDistance = 1 << 30;
        for (int i = 0; i < 256; ++i) {
            const int dr = r - static_cast<int>((palette[i] >> 16) & 0xFF);
            const int dg = g - static_cast<int>((palette[i] >> 8) & 0xFF);
            const int db = b - static_cast<int>(palette[i] & 0xFF);
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) best = i, bestDistance = distance;
        }
        nearest_[cell] = static_cast<uint8_t>(best);
    }
}

uint8_t PaletteMap::IndexOf(uint8_t red, uint8_t green, uint8_t blue) const {
    const uint32_t rgb = (uint32_t{red} << 16) | (uint32_t{green} << 8) | blue;
    const auto found = exact_.find(rgb);
    if (found != exact_.end()) return found->second;
    return nearest_[((red >> 3) << 10) | ((green >> 3) << 5) | (blue >> 3)];
}

}  // namespace standin::mmstream
