// Realising a logical palette into the system palette of an 8-bit screen.
#pragma once

#include <cstdint>
#include <vector>
#include <windows.h>

#include "gdi/hardware_palette.h"

namespace standin {

// Realises `entries` for the palette `owner`, which first gives up what it
// held. PC_EXPLICIT entries name their system index and change nothing;
// other colours share an identical held entry unless flagged PC_NOCOLLAPSE
// or PC_RESERVED; the rest take a free entry, and in the foreground, when
// none is free, one held by a background palette. A colour that finds no
// entry maps to the nearest one and changes nothing. Returns the number of
// system entries whose colour changed.
UINT RealizeIntoHardware(HardwarePalette &hardware, uintptr_t owner, const std::vector<PALETTEENTRY> &entries,
                         bool foreground);

}  // namespace standin
