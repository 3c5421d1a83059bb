#include "gdi/palette_realization.h"

namespace standin {

UINT RealizeIntoHardware(HardwarePalette &hardware, uintptr_t owner, const std::vector<PALETTEENTRY> &entries,
                         bool foreground) {
    hardware.Release(owner);
    UINT changed = 0;
    for (const PALETTEENTRY &entry : entries) {
        if (entry.peFlags & PC_EXPLICIT) continue;
        const bool ownSlot = (entry.peFlags & (PC_NOCOLLAPSE | PC_RESERVED)) != 0;
        if (!ownSlot && hardware.FindHeld(entry) >= 0) continue;
        const int slot = hardware.FindSlot(owner, foreground);
        if (slot < 0) continue;
        if (hardware.Assign(slot, entry, owner)) ++changed;
    }
    return changed;
}

}  // namespace standin
