// Logical palettes: creation, deletion, entries and nearest colours.
#include <algorithm>
#include <mutex>
#include <windows.h>

#include "common/exception_guard.h"
#include "gdi/gdi_state.h"
#include "gdi/nearest_colour.h"
#include "gdi/nearest_colour_memo.h"

using standin::FromHandleValue;
using standin::Gdi;
using standin::GdiState;
using standin::HandleValue;
using standin::PaletteObject;

namespace {

constexpr WORD kLogPaletteVersion = 0x300;
constexpr UINT kMaxPaletteEntries = 256;

PaletteObject *FindPalette(GdiState &gdi, const void *handle) {
    PaletteObject *palette = gdi.palettes.Find(HandleValue(handle));
    if (!palette) SetLastError(ERROR_INVALID_HANDLE);
    return palette;
}

// How many of `count` entries from `start` lie inside a palette of `size`.
UINT ClampRange(size_t size, UINT start, UINT count) {
    if (start >= size) return 0;
    return static_cast<UINT>(std::min<size_t>(count, size - start));
}

}  // namespace

extern "C" {

HPALETTE WINAPI CreatePalette(const LOGPALETTE *plpal) {
    return standin::GuardApi<HPALETTE>(nullptr, [&]() -> HPALETTE {
        if (!plpal || plpal->palVersion != kLogPaletteVersion || plpal->palNumEntries == 0 ||
            plpal->palNumEntries > kMaxPaletteEntries) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        GdiState &gdi = Gdi();
        std::lock_guard<std::mutex> lock(gdi.mutex);
        PaletteObject palette;
        if (gdi.spareCount > 0) palette.entries = std::move(gdi.spareEntries[--gdi.spareCount]);
        const PALETTEENTRY *first = plpal->palPalEntry;
        palette.entries.assign(first, first + plpal->palNumEntries);
        const uintptr_t handle = gdi.palettes.Add(std::move(palette));
        if (!handle) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FromHandleValue<HPALETTE>(handle);
    });
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    return standin::GuardApi<BOOL>(FALSE, [&]() -> BOOL {
        GdiState &gdi = Gdi();
        std::lock_guard<std::mutex> lock(gdi.mutex);
        const uintptr_t handle = HandleValue(ho);
        PaletteObject *palette = FindPalette(gdi, ho);
        if (!palette) return FALSE;
        if (palette->stock) return TRUE;

        // A deleted palette gives up its system entries, and device contexts
        // that still hold it fall back to the stock palette.
        gdi.hardware.Release(handle);
        if (gdi.foregroundPalette == handle) gdi.foregroundPalette = 0;
        gdi.deviceContexts.ForEach([&](uintptr_t, standin::DeviceContext &dc) {
            if (dc.palette == handle) dc.palette = gdi.stockPalette;
        });
        if (gdi.spareCount < gdi.spareEntries.size()) gdi.spareEntries[gdi.spareCount++] = std::move(palette->entries);
        gdi.palettes.Remove(handle);
        return TRUE;
    });
}

HGDIOBJ WINAPI GetStockObject(int i) {
    return standin::GuardApi<HGDIOBJ>(nullptr, [&]() -> HGDIOBJ {
        if (i != DEFAULT_PALETTE) return nullptr;
        GdiState &gdi = Gdi();
        return FromHandleValue<HGDIOBJ>(gdi.stockPalette);
    });
}

UINT WINAPI GetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, LPPALETTEENTRY pPalEntries) {
    return standin::GuardApi<UINT>(0, [&]() -> UINT {
        GdiState &gdi = Gdi();
        std::lock_guard<std::mutex> lock(gdi.mutex);
        const PaletteObject *palette = FindPalette(gdi, hpal);
        if (!palette) return 0;
        if (!pPalEntries) return static_cast<UINT>(palette->entries.size());
        const UINT n = ClampRange(palette->entries.size(), iStart, cEntries);
        std::copy_n(palette->entries.begin() + iStart, n, pPalEntries);
        return n;
    });
}

UINT WINAPI SetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, const PALETTEENTRY *pPalEntries) {
    return standin::GuardApi<UINT>(0, [&]() -> UINT {
        GdiState &gdi = Gdi();
        std::lock_guard<std::mutex> lock(gdi.mutex);
        PaletteObject *palette = FindPalette(gdi, hpal);
        if (!palette) return 0;
        if (palette->stock || !pPalEntries) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        const UINT n = ClampRange(palette->entries.size(), iStart, cEntries);
        std::copy_n(pPalEntries, n, palette->entries.begin() + iStart);
        palette->nearest.reset();
        return n;
    });
}

UINT WINAPI GetNearestPaletteIndex(HPALETTE h, COLORREF color) {
    return standin::GuardApi<UINT>(CLR_INVALID, [&]() -> UINT {
        GdiState &gdi = Gdi();
        std::lock_guard<std::mutex> lock(gdi.mutex);
        PaletteObject *palette = FindPalette(gdi, h);
        if (!palette) return CLR_INVALID;
        const BYTE r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
        if (!palette->nearest) palette->nearest = standin::NearestColourMemoFor(palette->entries);
        if (palette->nearest) return static_cast<UINT>(palette->nearest->Nearest(r, g, b));
        return static_cast<UINT>(standin::NearestColourIndex(palette->entries.data(), palette->entries.size(), r, g, b));
    });
}

}  // extern "C"
