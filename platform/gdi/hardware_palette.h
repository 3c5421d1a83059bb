// The 256 entries of an 8-bit screen's system palette and who holds each.
//
// Entries 0-9 and 246-255 hold the static colours and are never given away.
// Entries 10-245 start black and unowned. An entry is held by the palette
// (its handle value) whose realisation placed a colour there; it becomes
// free again, keeping its colour, when that palette is realised anew (it
// first gives up what it held), when a foreground realisation of another
// palette replaces it as the foreground palette, or when it is deleted.
#pragma once

#include <array>
#include <cstdint>
#include <windows.h>

namespace standin {

constexpr uintptr_t kNoOwner = 0;
constexpr uintptr_t kStaticOwner = ~uintptr_t{0};

class HardwarePalette {
public:
    HardwarePalette();

    const PALETTEENTRY *colours() const { return colours_.data(); }
    uintptr_t owner(int index) const { return owners_[index]; }

    // Frees every entry that `owner` holds.
    void Release(uintptr_t owner);

    // An entry that somebody holds (static or realised) with exactly this
    // colour and that is not reserved for animation (PC_RESERVED), or -1.
    int FindHeld(const PALETTEENTRY &colour) const;

    // The lowest unowned entry; with `evictOthers` (a foreground palette),
    // failing that the lowest entry held by a palette other than `self`.
    // -1 when there is none.
    int FindSlot(uintptr_t self, bool evictOthers) const;

    // Places `colour` at `index` for `owner`; true if the colour changed.
    // Its PC_RESERVED flag keeps other palettes from sharing the entry.
    bool Assign(int index, const PALETTEENTRY &colour, uintptr_t owner);

private:
    std::array<PALETTEENTRY, 256> colours_;
    std::array<uintptr_t, 256> owners_;
    std::array<bool, 256> reserved_;
};

}  // namespace standin
