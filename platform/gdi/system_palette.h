// The system palette of an 8-bit screen, for the screen's own consumers
// (the PNG writer and the desktop mirror).
#pragma once

#include <windows.h>

namespace standin {

// Copies the 256 colours of the current system palette (flags zero), taken
// under the GDI lock so the copy is never half-way through a realisation.
void SnapshotSystemPalette(PALETTEENTRY out[256]);

}  // namespace standin
