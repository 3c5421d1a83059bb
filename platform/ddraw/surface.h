// IDirectDrawSurface over system memory or over the screen (a primary
// surface). The lock owner and the pixels are guarded by the memory's mutex
// (the screen's for primaries), so a decoding thread may lock a surface
// while the host thread blits. With DDLOCK_WAIT or DDBLT_WAIT a lock held by
// another thread is waited for, as Windows waits for a busy surface; a lock
// held by the calling thread fails at once, so a thread cannot wait on
// itself.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <ddraw.h>

#include "common/com_object.h"
#include "ddraw/pixel_copy.h"
#include "ddraw/surface_layout.h"

namespace standin {

class Screen;

class Surface final : public ComObject<IDirectDrawSurface> {
public:
    // A surface as `layout` describes it; offscreen memory starts zeroed.
    // Throws std::bad_alloc.
    explicit Surface(const SurfaceLayout &layout);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override;

    HRESULT STDMETHODCALLTYPE Blt(LPRECT destRect, LPDIRECTDRAWSURFACE source, LPRECT sourceRect, DWORD flags,
                                  LPDDBLTFX fx) override;
    HRESULT STDMETHODCALLTYPE BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE source, LPRECT sourceRect,
                                      DWORD trans) override;
    HRESULT STDMETHODCALLTYPE GetCaps(LPDDSCAPS caps) override;
    HRESULT STDMETHODCALLTYPE GetPalette(LPDIRECTDRAWPALETTE *palette) override;
    HRESULT STDMETHODCALLTYPE GetPixelFormat(LPDDPIXELFORMAT format) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceDesc(LPDDSURFACEDESC desc) override;
    HRESULT STDMETHODCALLTYPE IsLost() override { return DD_OK; }
    HRESULT STDMETHODCALLTYPE Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE event) override;
    HRESULT STDMETHODCALLTYPE Restore() override { return DD_OK; }
    HRESULT STDMETHODCALLTYPE SetPalette(LPDIRECTDRAWPALETTE palette) override;
    HRESULT STDMETHODCALLTYPE Unlock(LPVOID) override;

    // Not offered by the stand-in.
    HRESULT STDMETHODCALLTYPE AddAttachedSurface(LPDIRECTDRAWSURFACE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddOverlayDirtyRect(LPRECT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BltBatch(LPDDBLTBATCH, DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteAttachedSurface(DWORD, LPDIRECTDRAWSURFACE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAttachedSurfaces(LPVOID, LPDDENUMSURFACESCALLBACK) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumOverlayZOrders(DWORD, LPVOID, LPDDENUMSURFACESCALLBACK) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Flip(LPDIRECTDRAWSURFACE, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAttachedSurface(LPDDSCAPS, LPDIRECTDRAWSURFACE *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBltStatus(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipper(LPDIRECTDRAWCLIPPER *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetColorKey(DWORD, LPDDCOLORKEY) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDC(HDC *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFlipStatus(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetOverlayPosition(LPLONG, LPLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTDRAW, LPDDSURFACEDESC) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReleaseDC(HDC) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetClipper(LPDIRECTDRAWCLIPPER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetColorKey(DWORD, LPDDCOLORKEY) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetOverlayPosition(LONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UpdateOverlay(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UpdateOverlayDisplay(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UpdateOverlayZOrder(DWORD, LPDIRECTDRAWSURFACE) override { return E_NOTIMPL; }

private:
    ~Surface() override;

    DWORD BytesPerPixel() const { return layout_.format.dwRGBBitCount / 8; }
    PixelBlock Block(const RECT &rect) const;
    // The description GetSurfaceDesc and Lock report (no lpSurface).
    void Describe(DDSURFACEDESC *desc) const;
    HRESULT ColorFill(const RECT &dest, const DDBLTFX *fx, bool wait);
    HRESULT CopyFrom(Surface &source, const RECT &sourceRect, const RECT &dest, bool wait);

    // Lock state, read with *mutex_ held.
    bool Locked() const { return lockOwner_ != std::thread::id(); }
    bool LockedElsewhere() const { return Locked() && lockOwner_ != std::this_thread::get_id(); }
    // Waits, with `hold` on *mutex_, until no other thread holds the lock;
    // false when `deadline` passed first.
    bool WaitUntilFree(std::unique_lock<std::mutex> &hold, std::chrono::steady_clock::time_point deadline);

    const SurfaceLayout layout_;
    // Every surface keeps the screen alive, not only the primaries.
    const std::shared_ptr<Screen> screen_;
    std::vector<BYTE> memory_;  // an offscreen surface's pixels
    BYTE *bits_ = nullptr;      // memory_ or the screen's pixels
    std::mutex ownMutex_;
    std::condition_variable ownUnlocked_;
    std::mutex *mutex_ = nullptr;                   // ownMutex_ or the screen's
    std::condition_variable *unlocked_ = nullptr;   // signalled by Unlock
    std::thread::id lockOwner_;                     // guarded by *mutex_; none while unlocked
    std::mutex paletteMutex_;
    IDirectDrawPalette *palette_ = nullptr;  // one reference while attached
};

}  // namespace standin
