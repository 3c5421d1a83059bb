#include "ddraw/palette.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "screen/screen.h"

namespace standin {

namespace {

// DDPCAPS_INITIALIZE and DDPCAPS_PRIMARYSURFACE are accepted and change
// nothing: the screen's colours come from the GDI system palette.
constexpr DWORD kAcceptedFlags = DDPCAPS_8BIT | DDPCAPS_ALLOW256 | DDPCAPS_INITIALIZE | DDPCAPS_PRIMARYSURFACE;
constexpr DWORD kSmallSizes = DDPCAPS_1BIT | DDPCAPS_2BIT | DDPCAPS_4BIT;

bool RangeFits(DWORD first, DWORD count, DWORD size) { return std::uint64_t{first} + count <= size; }

}  // namespace

HRESULT Palette::Create(DWORD flags, const PALETTEENTRY *table, IDirectDrawPalette **out) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (flags & kSmallSizes) return DDERR_UNSUPPORTED;  // only 256-entry palettes
    if (!(flags & DDPCAPS_8BIT) || (flags & ~kAcceptedFlags) || !table) return DDERR_INVALIDPARAMS;
    try {
        *out = new Palette(flags & ~DDPCAPS_INITIALIZE, table);
    } catch (const std::bad_alloc &) {
        return DDERR_OUTOFMEMORY;
    }
    return DD_OK;
}

Palette::Palette(DWORD caps, const PALETTEENTRY *table) : caps_(caps), screen_(Screen::Shared()) {
    std::copy(table, table + kEntries, entries_);
}

HRESULT Palette::QueryInterface(REFIID riid, void **out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirectDrawPalette) {
        return Hand(static_cast<IDirectDrawPalette *>(this), out);
    }
    return E_NOINTERFACE;
}

HRESULT Palette::GetCaps(LPDWORD caps) {
    if (!caps) return DDERR_INVALIDPARAMS;
    *caps = caps_;
    return DD_OK;
}

HRESULT Palette::GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY entries) {
    if (flags != 0 || !entries || !RangeFits(base, count, kEntries)) return DDERR_INVALIDPARAMS;
    std::lock_guard<std::mutex> hold(mutex_);
    std::copy(entries_ + base, entries_ + base + count, entries);
    return DD_OK;
}

HRESULT Palette::SetEntries(DWORD flags, DWORD first, DWORD count, LPPALETTEENTRY entries) {
    if (flags != 0 || !entries || !RangeFits(first, count, kEntries)) return DDERR_INVALIDPARAMS;
    std::lock_guard<std::mutex> hold(mutex_);
    std::copy(entries, entries + count, entries_ + first);
    return DD_OK;
}

}  // namespace standin
