// One handle format for palettes, device contexts, windows and events: an odd value
// (so never an aligned pointer) tagged with its kind, a table slot and the
// slot's generation (so a stale handle of a reused slot is told apart).
//
//   bit 0       always 1
//   bits 1-3    kind
//   bits 4-19   slot
//   bits 20-31  generation, 1..4095 (never 0, so no handle is a small int)
#pragma once

#include <cstdint>

namespace standin {

enum class HandleKind : uint32_t { kPalette = 1, kDeviceContext = 2, kWindow = 3, kEvent = 4 };

constexpr uint32_t kHandleSlotCount = 1u << 16;
constexpr uint32_t kHandleMaxGeneration = (1u << 12) - 1;

constexpr uintptr_t EncodeHandle(HandleKind kind, uint32_t slot, uint32_t generation) {
    return uintptr_t{1} | (uintptr_t{static_cast<uint32_t>(kind)} << 1) | (uintptr_t{slot} << 4) |
           (uintptr_t{generation} << 20);
}

// Slot and generation of a handle of `kind`; false for null, pointers,
// handles of another kind and values outside the format.
constexpr bool DecodeHandle(uintptr_t handle, HandleKind kind, uint32_t *slot, uint32_t *generation) {
    if ((handle & 1) == 0 || handle >> 32 != 0) return false;
    if (((handle >> 1) & 7) != static_cast<uint32_t>(kind)) return false;
    const uint32_t g = static_cast<uint32_t>(handle >> 20) & kHandleMaxGeneration;
    if (g == 0) return false;
    *slot = static_cast<uint32_t>(handle >> 4) & (kHandleSlotCount - 1);
    *generation = g;
    return true;
}

// Between API handle types (HWND, HDC, HPALETTE, HGDIOBJ) and table values.
inline uintptr_t HandleValue(const void *handle) { return reinterpret_cast<uintptr_t>(handle); }

template <typename Handle>
Handle FromHandleValue(uintptr_t value) {
    return reinterpret_cast<Handle>(value);
}

}  // namespace standin
