// The colour maps of the palettes used last, shared by every stream: a host
// that plays movies of one palette, or one movie again, makes its map once.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "mmstream/palette/palette_map.h"

namespace standin::mmstream {

// The map of `palette` (0x00RRGGBB entries), made now unless one of the
// last few palettes asked for was the same. Safe on any thread.
std::shared_ptr<const PaletteMap> SharedPaletteMap(const std::array<uint32_t, 256> &palette);

}  // namespace standin::mmstream
