#include "gdi/nearest_colour.h"

namespace standin {

size_t NearestColourIndex(const PALETTEENTRY *entries, size_t count, BYTE r, BYTE g, BYTE b) {
    size_t best = 0;
    long bestDistance = -1;
    for (size_t i = 0; i < count; ++i) {
        const long dr = long{entries[i].peRed} - r;
        const long dg = long{entries[i].peGreen} - g;
        const long db = long{entries[i].peBlue} - b;
        const long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {  // strict: ties keep the lower index
            best = i;
            bestDistance = distance;
            if (distance == 0) break;
        }
    }
    return best;
}

}  // namespace standin
