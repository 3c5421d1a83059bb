// Remembered nearest-colour answers, shared by palettes of equal contents.
//
// A host that translates every frame builds a new GDI palette from the same
// system colours each time and asks it for the nearest index of the same
// 256 colours. Keying the answers by the palette's contents lets every such
// palette reuse them, so a table costs 256 look-ups instead of 65536
// distance computations.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include <windows.h>

namespace standin {

class NearestColourMemo {
public:
    explicit NearestColourMemo(std::vector<PALETTEENTRY> entries) : entries_(std::move(entries)) {}

    const std::vector<PALETTEENTRY> &entries() const { return entries_; }

    // NearestColourIndex over entries(), answered from memory when this
    // colour was asked for before. Not thread-safe: callers hold the GDI lock.
    size_t Nearest(BYTE r, BYTE g, BYTE b);

private:
    // Open addressing: a colour starts at the slot its hash names and takes
    // the first free one from there.
    struct Slot {
        uint32_t key = 0;  // 0x01RRGGBB once filled
        uint8_t index = 0;
    };
    static constexpr unsigned kSlotBits = 12;
    static constexpr size_t kSlots = size_t{1} << kSlotBits;
    static constexpr size_t kMostFilled = kSlots * 3 / 4;

    const std::vector<PALETTEENTRY> entries_;
    std::array<Slot, kSlots> slots_{};
    size_t filled_ = 0;
};

// The memo for a palette of these entries: the one already made for equal
// contents when it is among the few most recently used, else a new one;
// null when memory runs out. Not thread-safe: callers hold the GDI lock.
std::shared_ptr<NearestColourMemo> NearestColourMemoFor(const std::vector<PALETTEENTRY> &entries) noexcept;

}  // namespace standin
