// Nearest-colour search shared by GetNearestPaletteIndex and realisation.
#pragma once

#include <cstddef>
#include <windows.h>

namespace standin {

// Index of the entry with the smallest squared RGB distance to (r, g, b);
// the lowest such index on a tie. `count` must be at least 1.
size_t NearestColourIndex(const PALETTEENTRY *entries, size_t count, BYTE r, BYTE g, BYTE b);

}  // namespace standin
