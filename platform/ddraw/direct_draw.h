// IDirectDraw over the process's one screen. Each DirectDrawCreate makes a
// new object; surfaces and palettes it creates hold the screen, not it.
#pragma once

#include <memory>

#include <ddraw.h>

#include "common/com_object.h"

namespace standin {

class Screen;

class DirectDraw final : public ComObject<IDirectDraw> {
public:
    DirectDraw();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override;

    HRESULT STDMETHODCALLTYPE CreatePalette(DWORD flags, LPPALETTEENTRY table, LPDIRECTDRAWPALETTE *palette,
                                            IUnknown *outer) override;
    HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE *surface,
                                            IUnknown *outer) override;
    HRESULT STDMETHODCALLTYPE GetDisplayMode(LPDDSURFACEDESC desc) override;
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE WaitForVerticalBlank(DWORD, HANDLE) override { return DD_OK; }

    // Not offered by the stand-in: the mode is fixed by VIDSURF_DISPLAY.
    HRESULT STDMETHODCALLTYPE Compact() override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE CreateClipper(DWORD, LPDIRECTDRAWCLIPPER *, IUnknown *) override {
        return DDERR_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DuplicateSurface(LPDIRECTDRAWSURFACE, LPDIRECTDRAWSURFACE *) override {
        return DDERR_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE EnumDisplayModes(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMMODESCALLBACK) override {
        return DDERR_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE EnumSurfaces(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMSURFACESCALLBACK) override {
        return DDERR_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE FlipToGDISurface() override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetCaps(LPDDCAPS, LPDDCAPS) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetFourCCCodes(LPDWORD, LPDWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetGDISurface(LPDIRECTDRAWSURFACE *) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetMonitorFrequency(LPDWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetScanLine(LPDWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetVerticalBlankStatus(BOOL *) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE Initialize(GUID *) override { return DDERR_ALREADYINITIALIZED; }
    HRESULT STDMETHODCALLTYPE RestoreDisplayMode() override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD, DWORD, DWORD) override { return DDERR_UNSUPPORTED; }

private:
    const std::shared_ptr<Screen> screen_;
};

}  // namespace standin
