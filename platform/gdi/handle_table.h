// A table of live objects of one kind, addressed by handles (handle_codec.h).
// Not locked by itself: each service guards its table with its own mutex.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "gdi/handle_codec.h"

namespace standin {

template <typename Object>
class HandleTable {
public:
    explicit HandleTable(HandleKind kind) : kind_(kind) {}

    // A new handle for `object`; 0 when every slot is in use. Throws
    // std::bad_alloc, with nothing changed, when the table cannot grow.
    uintptr_t Add(Object object) {
        uint32_t slot;
        // Freed slots wait in line before reuse, so a stale handle would
        // need thousands of reuses of its slot to become live again.
        if (FreeCount() > 0 && (FreeCount() >= kReuseAfter || slots_.size() == kHandleSlotCount)) {
            slot = TakeOldestFree();
        } else if (slots_.size() < kHandleSlotCount) {
            // Room for the line of freed slots at once: objects made and
            // deleted over and over then cost no allocation of the table.
            if (slots_.empty()) slots_.reserve(2 * kReuseAfter);
            slot = static_cast<uint32_t>(slots_.size());
            slots_.emplace_back();
        } else {
            return 0;
        }
        Slot &s = slots_[slot];
        s.generation = s.generation % kHandleMaxGeneration + 1;
        s.object.emplace(std::move(object));
        return EncodeHandle(kind_, slot, s.generation);
    }

    // The live object of `handle`, or null for a stale or foreign handle.
    Object *Find(uintptr_t handle) {
        uint32_t slot, generation;
        if (!DecodeHandle(handle, kind_, &slot, &generation) || slot >= slots_.size()) return nullptr;
        Slot &s = slots_[slot];
        return s.object && s.generation == generation ? &*s.object : nullptr;
    }

    bool Remove(uintptr_t handle) {
        if (!Find(handle)) return false;
        uint32_t slot, generation;
        DecodeHandle(handle, kind_, &slot, &generation);
        slots_[slot].object.reset();
        // The freed slot joins the line; one that cannot for want of memory
        // is retired for good rather than the removal failing halfway.
        try {
            // The line holds at most about twice kReuseAfter (see TakeOldestFree).
            if (free_.capacity() == 0) free_.reserve(2 * kReuseAfter + 1);
            free_.push_back(slot);
        } catch (const std::bad_alloc &) {
            ++retired_;
        }
        return true;
    }

    // Calls visit(handle, object) for every live object.
    template <typename Visit>
    void ForEach(Visit visit) {
        for (uint32_t i = 0; i < slots_.size(); ++i)
            if (slots_[i].object) visit(EncodeHandle(kind_, i, slots_[i].generation), *slots_[i].object);
    }

    size_t LiveCount() const { return slots_.size() - FreeCount() - retired_; }

private:
    static constexpr size_t kReuseAfter = 1024;

    size_t FreeCount() const { return free_.size() - freeHead_; }

    // The line is a vector read from freeHead_: taken slots are dropped in
    // bulk, in place, so its storage settles instead of being allocated
    // and freed as the line moves.
    uint32_t TakeOldestFree() {
        const uint32_t slot = free_[freeHead_++];
        if (freeHead_ == free_.size()) {
            free_.clear();
            freeHead_ = 0;
        } else if (freeHead_ >= kReuseAfter && 2 * freeHead_ >= free_.size()) {
            free_.erase(free_.begin(), free_.begin() + static_cast<std::ptrdiff_t>(freeHead_));
            freeHead_ = 0;
        }
        return slot;
    }

    struct Slot {
        uint32_t generation = 0;
        std::optional<Object> object;
    };

    HandleKind kind_;
    std::vector<Slot> slots_;
    std::vector<uint32_t> free_;  // freed slots, oldest first from freeHead_
    size_t freeHead_ = 0;
    size_t retired_ = 0;  // emptied slots that could not join the line
};

}  // namespace standin
