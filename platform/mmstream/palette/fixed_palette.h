// The palette a true-colour movie is shown in on an 8-bit screen.
//
// It follows the layout of a Windows halftone palette: the twenty static
// system colours at entries 0-9 and 246-255 (so a host that realises it
// keeps them where the system palette has them), a 6x6x6 colour cube
// (levels 0, 51, ..., 255) at 10-225 and a ramp of twenty greys at 226-245.
#pragma once

#include <array>
#include <cstdint>

#include "mmstream/palette/palette_map.h"

namespace standin::mmstream {

// Entries as 0x00RRGGBB.
const std::array<uint32_t, 256> &FixedPalette();
// Its colour map, built on first use and shared by every stream.
const PaletteMap &FixedPaletteMap();

}  // namespace standin::mmstream
