#include "gdi/nearest_colour_memo.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "gdi/nearest_colour.h"

namespace standin {

namespace {

// Enough for the system palette of each screen state a process goes
// through in a short time, plus the hosts' own palettes.
constexpr size_t kRememberedPalettes = 8;

bool SameEntries(const std::vector<PALETTEENTRY> &a, const std::vector<PALETTEENTRY> &b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(PALETTEENTRY)) == 0;
}

}  // namespace

size_t NearestColourMemo::Nearest(BYTE r, BYTE g, BYTE b) {
    const uint32_t colour = (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
    const uint32_t key = colour | 0x01000000u;
    size_t at = (colour * 2654435761u) >> (32 - kSlotBits);  // top bits of a multiplicative hash
    for (;; at = (at + 1) & (kSlots - 1)) {
        if (slots_[at].key == key) return slots_[at].index;
        if (slots_[at].key == 0) break;
    }
    if (filled_ == kMostFilled) {
        // Full enough to slow the probes: start over.
        slots_.fill(Slot{});
        filled_ = 0;
        at = (colour * 2654435761u) >> (32 - kSlotBits);
    }
    Slot &slot = slots_[at];
    slot.key = key;
    slot.index = static_cast<uint8_t>(NearestColourIndex(entries_.data(), entries_.size(), r, g, b));
    ++filled_;
    return slot.index;
}

std::shared_ptr<NearestColourMemo> NearestColourMemoFor(const std::vector<PALETTEENTRY> &entries) noexcept try {
    // Most recently used first. Never destroyed, like the GDI state.
    static auto &remembered = *new std::vector<std::shared_ptr<NearestColourMemo>>();
    auto found = std::find_if(remembered.begin(), remembered.end(),
                              [&](const auto &memo) { return SameEntries(memo->entries(), entries); });
    std::shared_ptr<NearestColourMemo> memo;
    if (found != remembered.end()) {
        memo = *found;
        remembered.erase(found);
    } else {
        memo = std::make_shared<NearestColourMemo>(entries);
        if (remembered.size() == kRememberedPalettes) remembered.pop_back();
    }
    remembered.insert(remembered.begin(), memo);
    return memo;
} catch (const std::bad_alloc &) {
    return nullptr;
}

}  // namespace standin
