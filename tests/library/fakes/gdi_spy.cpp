#include "fakes/gdi_spy.h"

#include <dlfcn.h>

namespace fakes {

namespace {

GdiSpy *current = nullptr;

// The stand-in's own function of that name, behind this program's.
template <class Function>
Function *standin(const char *name) {
    return reinterpret_cast<Function *>(dlsym(RTLD_NEXT, name));
}

}  // namespace

GdiSpy::GdiSpy(CallLog *log) : log_(log) { current = this; }
GdiSpy::~GdiSpy() { current = nullptr; }
GdiSpy *GdiSpy::active() { return current; }

}  // namespace fakes

using fakes::GdiSpy;

extern "C" {

HDC WINAPI GetDC(HWND window) {
    static auto *const real = fakes::standin<HDC WINAPI(HWND)>("GetDC");
    const HDC dc = real(window);
    if (GdiSpy *spy = GdiSpy::active()) {
        spy->add("GetDC");
        spy->gets.push_back({window, dc, 0});
    }
    return dc;
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
    static auto *const real = fakes::standin<int WINAPI(HWND, HDC)>("ReleaseDC");
    const int result = real(window, dc);
    if (GdiSpy *spy = GdiSpy::active()) {
        spy->add("ReleaseDC");
        spy->releases.push_back({window, dc, result});
    }
    return result;
}

HPALETTE WINAPI SelectPalette(HDC dc, HPALETTE palette, BOOL background) {
    static auto *const real = fakes::standin<HPALETTE WINAPI(HDC, HPALETTE, BOOL)>("SelectPalette");
    const HPALETTE previous = real(dc, palette, background);
    if (GdiSpy *spy = GdiSpy::active()) {
        spy->add("SelectPalette");
        spy->selections.push_back({dc, palette, background, previous});
    }
    return previous;
}

UINT WINAPI RealizePalette(HDC dc) {
    static auto *const real = fakes::standin<UINT WINAPI(HDC)>("RealizePalette");
    const UINT result = real(dc);
    if (GdiSpy *spy = GdiSpy::active()) {
        spy->add("RealizePalette");
        spy->realizations.push_back(dc);
    }
    return result;
}

}  // extern "C"
