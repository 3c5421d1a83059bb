#include "ddraw/surface.h"

#include <cstring>
#include <new>

#include "ddraw/pixel_format.h"
#include "ddraw/surface_rect.h"
#include "screen/screen.h"
#include "screen/screen_watch.h"

namespace standin {

namespace {

// Keys, raster operations and effects are not offered.
constexpr DWORD kBltFlags = DDBLT_WAIT | DDBLT_DONOTWAIT | DDBLT_ASYNC | DDBLT_COLORFILL;

constexpr DWORD kDescribedFields = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;

// Other threads hold a surface for one frame's copy at most; a lock held far
// longer is a stuck host thread, and failing beats hanging the caller.
constexpr std::chrono::seconds kLongestWait{2};

std::chrono::steady_clock::time_point WaitDeadline() { return std::chrono::steady_clock::now() + kLongestWait; }

}  // namespace

Surface::Surface(const SurfaceLayout &layout) : layout_(layout), screen_(Screen::Shared()) {
    if (layout_.primary) {
        bits_ = screen_->pixels();
        mutex_ = &screen_->mutex();
        unlocked_ = &screen_->unlocked();
    } else {
        memory_.assign(static_cast<size_t>(layout_.pitch) * layout_.height, 0);
        bits_ = memory_.data();
        mutex_ = &ownMutex_;
        unlocked_ = &ownUnlocked_;
    }
}

Surface::~Surface() {
    if (palette_) palette_->Release();
}

HRESULT Surface::QueryInterface(REFIID riid, void **out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirectDrawSurface) {
        return Hand(static_cast<IDirectDrawSurface *>(this), out);
    }
    return E_NOINTERFACE;
}

PixelBlock Surface::Block(const RECT &rect) const {
    // A 4-bit surface's rectangle starts in the byte of its left pixel.
    BYTE *origin = bits_ + static_cast<size_t>(rect.top) * layout_.pitch +
                   static_cast<size_t>(rect.left) * layout_.format.dwRGBBitCount / 8;
    return PixelBlock{origin, layout_.pitch, static_cast<DWORD>(rect.right - rect.left),
                      static_cast<DWORD>(rect.bottom - rect.top)};
}

void Surface::Describe(DDSURFACEDESC *desc) const {
    std::memset(desc, 0, sizeof(DDSURFACEDESC));
    desc->dwSize = sizeof(DDSURFACEDESC);
    desc->dwFlags = kDescribedFields;
    desc->dwWidth = layout_.width;
    desc->dwHeight = layout_.height;
    desc->lPitch = layout_.pitch;
    desc->ddpfPixelFormat = layout_.format;
    desc->ddsCaps.dwCaps = layout_.caps;
}

bool Surface::WaitUntilFree(std::unique_lock<std::mutex> &hold, std::chrono::steady_clock::time_point deadline) {
    return unlocked_->wait_until(hold, deadline, [this] { return !LockedElsewhere(); });
}

HRESULT Surface::Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE) {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    RECT area;
    if (!ResolveSurfaceRect(rect, layout_.width, layout_.height, &area)) return DDERR_INVALIDRECT;
    {
        std::unique_lock<std::mutex> hold(*mutex_);
        if ((flags & DDLOCK_WAIT) && !WaitUntilFree(hold, WaitDeadline())) return DDERR_WASSTILLDRAWING;
        if (Locked()) return DDERR_SURFACEBUSY;
        lockOwner_ = std::this_thread::get_id();
    }
    Describe(desc);
    desc->dwFlags |= DDSD_LPSURFACE;
    desc->lpSurface = Block(area).origin;
    return DD_OK;
}

HRESULT Surface::Unlock(LPVOID) {
    {
        std::lock_guard<std::mutex> hold(*mutex_);
        if (!Locked()) return DDERR_NOTLOCKED;
        lockOwner_ = std::thread::id();
    }
    unlocked_->notify_all();
    return DD_OK;
}

HRESULT Surface::Blt(LPRECT destRect, LPDIRECTDRAWSURFACE source, LPRECT sourceRect, DWORD flags, LPDDBLTFX fx) {
    if (flags & ~kBltFlags) return DDERR_UNSUPPORTED;
    RECT dest;
    if (!ResolveSurfaceRect(destRect, layout_.width, layout_.height, &dest)) return DDERR_INVALIDRECT;
    const bool wait = (flags & DDBLT_WAIT) != 0;
    if (flags & DDBLT_COLORFILL) return ColorFill(dest, fx, wait);
    if (!source) return DDERR_INVALIDPARAMS;
    // Pixels can only be read from surfaces of this implementation.
    Surface *from = dynamic_cast<Surface *>(source);
    if (!from) return DDERR_INVALIDOBJECT;
    if (!PixelFormatsMatch(from->layout_.format, layout_.format)) return DDERR_INVALIDPIXELFORMAT;
    if (!WholeBytePixels(layout_.format)) return DDERR_UNSUPPORTED;
    RECT area;
    if (!ResolveSurfaceRect(sourceRect, from->layout_.width, from->layout_.height, &area)) return DDERR_INVALIDRECT;
    const HRESULT copied = CopyFrom(*from, area, dest, wait);
    if (copied == DD_OK && layout_.primary) NotifyScreenChanged();
    return copied;
}

HRESULT Surface::BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE source, LPRECT sourceRect, DWORD trans) {
    if (trans & ~DWORD{DDBLTFAST_WAIT}) return DDERR_UNSUPPORTED;  // colour keys
    if (!source) return DDERR_INVALIDPARAMS;
    Surface *from = dynamic_cast<Surface *>(source);
    if (!from) return DDERR_INVALIDOBJECT;
    RECT area;
    if (!ResolveSurfaceRect(sourceRect, from->layout_.width, from->layout_.height, &area)) return DDERR_INVALIDRECT;
    if (x >= layout_.width || y >= layout_.height) return DDERR_INVALIDRECT;
    RECT dest{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x) + (area.right - area.left),
              static_cast<LONG>(y) + (area.bottom - area.top)};
    return Blt(&dest, source, &area, DDBLT_WAIT, nullptr);
}

HRESULT Surface::ColorFill(const RECT &dest, const DDBLTFX *fx, bool wait) {
    if (!fx || fx->dwSize != sizeof(DDBLTFX)) return DDERR_INVALIDPARAMS;
    if (!WholeBytePixels(layout_.format)) return DDERR_UNSUPPORTED;
    std::unique_lock<std::mutex> hold(*mutex_);
    if (wait && !WaitUntilFree(hold, WaitDeadline())) return DDERR_WASSTILLDRAWING;
    if (Locked()) return DDERR_SURFACEBUSY;
    FillPixels(Block(dest), BytesPerPixel(), fx->dwFillColor);
    return DD_OK;
}

HRESULT Surface::CopyFrom(Surface &source, const RECT &sourceRect, const RECT &dest, bool wait) {
    // Two primaries share the screen's mutex; distinct mutexes are taken
    // together so that opposite blits on two threads cannot deadlock. A
    // surface locked by another thread is waited for with only its own
    // mutex held, then both are taken again.
    std::unique_lock<std::mutex> mine(*mutex_, std::defer_lock);
    std::unique_lock<std::mutex> theirs(*source.mutex_, std::defer_lock);
    const auto deadline = WaitDeadline();
    for (;;) {
        if (mutex_ == source.mutex_) {
            mine.lock();
        } else {
            std::lock(mine, theirs);
        }
        Surface *busy = LockedElsewhere() ? this : source.LockedElsewhere() ? &source : nullptr;
        if (!busy || !wait) break;
        mine.unlock();
        if (theirs.owns_lock()) theirs.unlock();
        std::unique_lock<std::mutex> hold(*busy->mutex_);
        if (!busy->WaitUntilFree(hold, deadline)) return DDERR_WASSTILLDRAWING;
    }
    if (Locked() || source.Locked()) return DDERR_SURFACEBUSY;

    const DWORD bytesPerPixel = BytesPerPixel();
    PixelBlock from = source.Block(sourceRect);
    std::vector<BYTE> staging;
    if (source.bits_ == bits_) {
        // Same memory (the surface itself, or two views of the screen):
        // take the source aside first so overlapping rectangles come out
        // as they were before the blit.
        try {
            staging.resize(static_cast<size_t>(from.width) * bytesPerPixel * from.height);
        } catch (const std::bad_alloc &) {
            return DDERR_OUTOFMEMORY;
        }
        const PixelBlock aside{staging.data(), static_cast<LONG>(from.width * bytesPerPixel), from.width, from.height};
        StretchPixels(from, aside, bytesPerPixel);
        from = aside;
    }
    StretchPixels(from, Block(dest), bytesPerPixel);
    return DD_OK;
}

HRESULT Surface::GetCaps(LPDDSCAPS caps) {
    if (!caps) return DDERR_INVALIDPARAMS;
    caps->dwCaps = layout_.caps;
    return DD_OK;
}

HRESULT Surface::GetPixelFormat(LPDDPIXELFORMAT format) {
    if (!format) return DDERR_INVALIDPARAMS;
    *format = layout_.format;
    return DD_OK;
}

HRESULT Surface::GetSurfaceDesc(LPDDSURFACEDESC desc) {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    Describe(desc);
    return DD_OK;
}

HRESULT Surface::SetPalette(LPDIRECTDRAWPALETTE palette) {
    if (palette && !(layout_.format.dwFlags & (DDPF_PALETTEINDEXED8 | DDPF_PALETTEINDEXED4)))
        return DDERR_NOTPALETTIZED;
    if (palette) palette->AddRef();
    IDirectDrawPalette *previous;
    {
        std::lock_guard<std::mutex> hold(paletteMutex_);
        previous = palette_;
        palette_ = palette;
    }
    if (previous) previous->Release();
    return DD_OK;
}

HRESULT Surface::GetPalette(LPDIRECTDRAWPALETTE *palette) {
    if (!palette) return DDERR_INVALIDPARAMS;
    std::lock_guard<std::mutex> hold(paletteMutex_);
    *palette = palette_;
    if (!palette_) return DDERR_NOPALETTEATTACHED;
    palette_->AddRef();
    return DD_OK;
}

}  // namespace standin
