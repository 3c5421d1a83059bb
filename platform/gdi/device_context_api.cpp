// Device contexts: handing them out, palette selection and realisation,
// the system palette and the device's capabilities.
#include <algorithm>
#include <mutex>
#include <windows.h>

#include "common/exception_guard.h"
#include "gdi/gdi_state.h"
#include "gdi/palette_realization.h"
#include "gdi/static_colours.h"
#include "screen/screen_mode.h"

using standin::DeviceContext;
using standin::FromHandleValue;
using standin::Gdi;
using standin::GdiState;
using standin::HandleValue;

namespace {

constexpr int kSystemPaletteSize = 256;

DeviceContext *FindDc(GdiState &gdi, HDC hdc) {
    DeviceContext *dc = gdi.deviceContexts.Find(HandleValue(hdc));
    if (!dc) SetLastError(ERROR_INVALID_HANDLE);
    return dc;
}

bool ScreenIsPalettized() { return standin::CurrentScreenMode().palettized(); }

}  // namespace

extern "C" {

HDC WINAPI GetDC(HWND hWnd) {
    return standin::GuardApi<HDC>(nullptr, [&]() -> HDC {
        if (hWnd && !IsWindow(hWnd)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        GdiState &gdi = Gdi();
        std::lock_guard<std::mutex> lock(gdi.mutex);
        DeviceContext dc;
        dc.window = hWnd;
        dc.palette = gdi.stockPalette;
        const uintptr_t handle = gdi.deviceContexts.Add(dc);
        if (!handle) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FromHandleValue<HDC>(handle);
    });
}

// The window argument is not checked against the DC's window: what counts
// is that GetDC handed the DC out and it has not come back yet.
int WINAPI ReleaseDC(HWND, HDC hDC) {
    return standin::GuardApi<int>(0, [&]() -> int {
        GdiState &gdi = Gdi();
        std::lock_guard<std::mutex> lock(gdi.mutex);
        if (gdi.deviceContexts.Remove(HandleValue(hDC))) return 1;
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    });
}

HPALETTE WINAPI SelectPalette(HDC hdc, HPALETTE hPal, BOOL bForceBkgd) {
    return standin::GuardApi<HPALETTE>(nullptr, [&]() -> HPALETTE {
        GdiState &gdi = Gdi();
        std::lock_guard<std::mutex> lock(gdi.mutex);
        DeviceContext *dc = FindDc(gdi, hdc);
        if (!dc) return nullptr;
        if (!gdi.palettes.Find(HandleValue(hPal))) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        const uintptr_t previous = dc->palette;
        dc->palette = HandleValue(hPal);
        dc->background = bForceBkgd != FALSE;
        return FromHandleValue<HPALETTE>(previous);
    });
}

UINT WINAPI RealizePalette(HDC hdc) {
    return standin::GuardApi<UINT>(GDI_ERROR, [&]() -> UINT {
        GdiState &gdi = Gdi();
        std::lock_guard<std::mutex> lock(gdi.mutex);
        DeviceContext *dc = FindDc(gdi, hdc);
        if (!dc) return GDI_ERROR;
        if (!ScreenIsPalettized()) return 0;
        const standin::PaletteObject *palette = gdi.palettes.Find(dc->palette);
        if (!palette) return GDI_ERROR;  // unreachable: deletion reselects the stock palette

        // One foreground palette at a time: a new one frees what the last held.
        const bool foreground = !dc->background;
        if (foreground) {
            if (gdi.foregroundPalette != dc->palette) gdi.hardware.Release(gdi.foregroundPalette);
            gdi.foregroundPalette = dc->palette;
        } else if (gdi.foregroundPalette == dc->palette) {
            gdi.foregroundPalette = 0;
        }
        return standin::RealizeIntoHardware(gdi.hardware, dc->palette, palette->entries, foreground);
    });
}

UINT WINAPI GetSystemPaletteEntries(HDC hdc, UINT iStart, UINT cEntries, LPPALETTEENTRY pPalEntries) {
    return standin::GuardApi<UINT>(0, [&]() -> UINT {
        GdiState &gdi = Gdi();
        std::lock_guard<std::mutex> lock(gdi.mutex);
        if (!FindDc(gdi, hdc) || !ScreenIsPalettized()) return 0;
        if (!pPalEntries) return kSystemPaletteSize;
        if (iStart >= kSystemPaletteSize) return 0;
        const UINT n = std::min<UINT>(cEntries, kSystemPaletteSize - iStart);
        std::copy_n(gdi.hardware.colours() + iStart, n, pPalEntries);
        return n;
    });
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
    return standin::GuardApi<int>(0, [&]() -> int {
        {
            GdiState &gdi = Gdi();
            std::lock_guard<std::mutex> lock(gdi.mutex);
            if (!FindDc(gdi, hdc)) return 0;
        }
        const standin::ScreenMode &mode = standin::CurrentScreenMode();
        const bool palettized = mode.palettized();
        switch (index) {
            case HORZRES: return static_cast<int>(mode.width);
            case VERTRES: return static_cast<int>(mode.height);
            case BITSPIXEL: return static_cast<int>(mode.bitsPerPixel);
            case PLANES: return 1;
            case RASTERCAPS: return palettized ? RC_PALETTE : 0;
            case SIZEPALETTE: return palettized ? kSystemPaletteSize : 0;
            case NUMRESERVED: return palettized ? standin::kStaticColourCount : 0;
            default: return 0;
        }
    });
}

}  // extern "C"
