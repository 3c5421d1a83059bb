// DirectDraw fakes: an 8-bit surface over test-owned memory, a DirectDraw
// object that hands out a given surface, and a palette of given entries.
#pragma once

#include <functional>
#include <vector>

#include <ddraw.h>

#include "fakes/fake_object.h"

namespace fakes {

class FakeSurface final : public FakeObject<IDirectDrawSurface> {
public:
    FakeSurface(CallLog *log, std::string name, DWORD width, DWORD height, LONG pitch);

    std::vector<BYTE> pixels;  // height rows of `pitch` bytes
    HRESULT lockResult = DD_OK;
    DWORD bitsPerPixel = 8;  // what Lock reports; 8 is palettized
    DDPIXELFORMAT pixelFormat{};  // what Lock reports instead, once its dwSize is set
    std::function<void()> onLock;  // runs inside Lock, before it returns
    std::function<void()> onUnlock;  // runs inside Unlock, the pixels as written

    struct LockCall {
        bool rect;
        DWORD descSize;
        DWORD descFlags;
        DWORD flags;
        bool event;
        // How the library locks: the whole surface, every member asked
        // for, waiting, no event.
        bool wholeAndWaiting() const {
            return !rect && descSize == sizeof(DDSURFACEDESC) && descFlags == DWORD{DDSD_ALL} &&
                   flags == DWORD{DDLOCK_WAIT} && !event;
        }
    };
    std::vector<LockCall> locks;
    std::vector<LPVOID> unlocks;

    struct BltCall {
        bool hasDestination;
        RECT destination;
        IDirectDrawSurface *source;
        bool hasSourceRect;
        RECT sourceRect;
        DWORD flags;
        bool fx;
    };
    std::vector<BltCall> blts;
    std::function<void()> onBlt;  // runs inside Blt, while the caller is mid-presentation

    HRESULT STDMETHODCALLTYPE Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE event) override;
    HRESULT STDMETHODCALLTYPE Unlock(LPVOID data) override;

    HRESULT STDMETHODCALLTYPE AddAttachedSurface(LPDIRECTDRAWSURFACE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddOverlayDirtyRect(LPRECT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Blt(LPRECT destination, LPDIRECTDRAWSURFACE source, LPRECT sourceRect, DWORD flags,
                                  LPDDBLTFX fx) override;
    HRESULT STDMETHODCALLTYPE BltBatch(LPDDBLTBATCH, DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BltFast(DWORD, DWORD, LPDIRECTDRAWSURFACE, LPRECT, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteAttachedSurface(DWORD, LPDIRECTDRAWSURFACE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAttachedSurfaces(LPVOID, LPDDENUMSURFACESCALLBACK) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumOverlayZOrders(DWORD, LPVOID, LPDDENUMSURFACESCALLBACK) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Flip(LPDIRECTDRAWSURFACE, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAttachedSurface(LPDDSCAPS, LPDIRECTDRAWSURFACE *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBltStatus(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCaps(LPDDSCAPS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipper(LPDIRECTDRAWCLIPPER *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetColorKey(DWORD, LPDDCOLORKEY) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDC(HDC *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFlipStatus(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetOverlayPosition(LPLONG, LPLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPalette(LPDIRECTDRAWPALETTE *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPixelFormat(LPDDPIXELFORMAT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSurfaceDesc(LPDDSURFACEDESC) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTDRAW, LPDDSURFACEDESC) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsLost() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReleaseDC(HDC) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Restore() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetClipper(LPDIRECTDRAWCLIPPER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetColorKey(DWORD, LPDDCOLORKEY) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetOverlayPosition(LONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPalette(LPDIRECTDRAWPALETTE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UpdateOverlay(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UpdateOverlayDisplay(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UpdateOverlayZOrder(DWORD, LPDIRECTDRAWSURFACE) override { return E_NOTIMPL; }

private:
    DWORD width_;
    DWORD height_;
    LONG pitch_;
};

class FakeDirectDraw final : public FakeObject<IDirectDraw> {
public:
    explicit FakeDirectDraw(CallLog *log) : FakeObject(log, "ddraw", IID_IDirectDraw) {}

    IDirectDrawSurface *surface = nullptr;  // handed out by CreateSurface; null: refused
    std::vector<DDSURFACEDESC> created;     // the descriptions passed in
    std::vector<IUnknown *> outers;

    HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE *out,
                                            IUnknown *outer) override;

    HRESULT STDMETHODCALLTYPE Compact() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateClipper(DWORD, LPDIRECTDRAWCLIPPER *, IUnknown *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreatePalette(DWORD, LPPALETTEENTRY, LPDIRECTDRAWPALETTE *, IUnknown *) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DuplicateSurface(LPDIRECTDRAWSURFACE, LPDIRECTDRAWSURFACE *) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumDisplayModes(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMMODESCALLBACK) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumSurfaces(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMSURFACESCALLBACK) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FlipToGDISurface() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCaps(LPDDCAPS, LPDDCAPS) override { return E_NOTIMPL; }
    // Runs inside QueryInterface, as a host's object that calls back into
    // its caller would.
    std::function<void()> onQueryInterface;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
        if (onQueryInterface) onQueryInterface();
        return FakeObject::QueryInterface(riid, out);
    }
    // The display mode comes from `displayFrom` when set, after `onDisplayMode`
    // (a host's object that calls back into its caller) has run.
    IDirectDraw *displayFrom = nullptr;
    std::function<void()> onDisplayMode;
    HRESULT STDMETHODCALLTYPE GetDisplayMode(LPDDSURFACEDESC desc) override {
        if (onDisplayMode) onDisplayMode();
        return displayFrom ? displayFrom->GetDisplayMode(desc) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetFourCCCodes(LPDWORD, LPDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetGDISurface(LPDIRECTDRAWSURFACE *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMonitorFrequency(LPDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetScanLine(LPDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVerticalBlankStatus(BOOL *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize(GUID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RestoreDisplayMode() override { return E_NOTIMPL; }
    HWND cooperativeWindow = nullptr;
    DWORD cooperativeFlags = 0;
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override {
        record("SetCooperativeLevel");
        cooperativeWindow = window;
        cooperativeFlags = flags;
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD, DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE WaitForVerticalBlank(DWORD, HANDLE) override { return E_NOTIMPL; }
};

class FakePalette final : public FakeObject<IDirectDrawPalette> {
public:
    explicit FakePalette(CallLog *log, std::string name = "palette")
        : FakeObject(log, std::move(name), IID_IDirectDrawPalette) {}

    PALETTEENTRY entries[256] = {};
    DWORD caps = DDPCAPS_8BIT;
    DWORD writable = 256;  // GetEntries writes at most this many, then fails
    struct EntriesCall {
        DWORD flags;
        DWORD base;
        DWORD count;
    };
    std::vector<EntriesCall> entryCalls;

    HRESULT STDMETHODCALLTYPE GetCaps(LPDWORD out) override {
        *out = caps;
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY out) override;
    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTDRAW, DWORD, LPPALETTEENTRY) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetEntries(DWORD, DWORD, DWORD, LPPALETTEENTRY) override { return E_NOTIMPL; }
};

}  // namespace fakes
