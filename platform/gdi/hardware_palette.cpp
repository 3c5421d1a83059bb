#include "gdi/hardware_palette.h"

#include "gdi/static_colours.h"

namespace standin {

HardwarePalette::HardwarePalette() {
    colours_.fill(PALETTEENTRY{0, 0, 0, 0});
    owners_.fill(kNoOwner);
    reserved_.fill(false);
    for (int i = 0; i < kStaticColourCount; ++i) {
        colours_[StaticColourSystemIndex(i)] = kStaticColours[i];
        owners_[StaticColourSystemIndex(i)] = kStaticOwner;
    }
}

void HardwarePalette::Release(uintptr_t owner) {
    if (owner == kNoOwner || owner == kStaticOwner) return;
    for (auto &o : owners_)
        if (o == owner) o = kNoOwner;
}

int HardwarePalette::FindHeld(const PALETTEENTRY &colour) const {
    for (int i = 0; i < 256; ++i) {
        const PALETTEENTRY &c = colours_[i];
        if (owners_[i] != kNoOwner && !reserved_[i] && c.peRed == colour.peRed && c.peGreen == colour.peGreen &&
            c.peBlue == colour.peBlue)
            return i;
    }
    return -1;
}

int HardwarePalette::FindSlot(uintptr_t self, bool evictOthers) const {
    for (int i = kFirstFreeSystemIndex; i <= kLastFreeSystemIndex; ++i)
        if (owners_[i] == kNoOwner) return i;
    if (evictOthers)
        for (int i = kFirstFreeSystemIndex; i <= kLastFreeSystemIndex; ++i)
            if (owners_[i] != self) return i;
    return -1;
}

bool HardwarePalette::Assign(int index, const PALETTEENTRY &colour, uintptr_t owner) {
    PALETTEENTRY &c = colours_[index];
    const bool changed = c.peRed != colour.peRed || c.peGreen != colour.peGreen || c.peBlue != colour.peBlue;
    c = PALETTEENTRY{colour.peRed, colour.peGreen, colour.peBlue, 0};
    owners_[index] = owner;
    reserved_[index] = (colour.peFlags & PC_RESERVED) != 0;
    return changed;
}

}  // namespace standin
