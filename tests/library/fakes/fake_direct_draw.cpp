#include "fakes/fake_direct_draw.h"

namespace fakes {

FakeSurface::FakeSurface(CallLog *log, std::string name, DWORD width, DWORD height, LONG pitch)
    : FakeObject(log, std::move(name), IID_IDirectDrawSurface),
      pixels(static_cast<size_t>(pitch) * height),
      width_(width),
      height_(height),
      pitch_(pitch) {}

HRESULT FakeSurface::Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE event) {
    record("Lock");
    locks.push_back({rect != nullptr, desc->dwSize, desc->dwFlags, flags, event != nullptr});
    if (lockResult != DD_OK) return lockResult;
    desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_LPSURFACE | DDSD_PIXELFORMAT;
    desc->dwWidth = width_;
    desc->dwHeight = height_;
    desc->lPitch = pitch_;
    desc->lpSurface = pixels.data();
    desc->ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    desc->ddpfPixelFormat.dwFlags = bitsPerPixel == 8 ? DDPF_RGB | DDPF_PALETTEINDEXED8 : DDPF_RGB;
    desc->ddpfPixelFormat.dwRGBBitCount = bitsPerPixel;
    if (pixelFormat.dwSize != 0) desc->ddpfPixelFormat = pixelFormat;
    if (onLock) onLock();
    return DD_OK;
}

HRESULT FakeSurface::Unlock(LPVOID data) {
    record("Unlock");
    unlocks.push_back(data);
    return DD_OK;
}

HRESULT FakeSurface::Blt(LPRECT destination, LPDIRECTDRAWSURFACE source, LPRECT sourceRect, DWORD flags,
                         LPDDBLTFX fx) {
    record("Blt");
    BltCall call{destination != nullptr, {}, source, sourceRect != nullptr, {}, flags, fx != nullptr};
    if (destination != nullptr) call.destination = *destination;
    if (sourceRect != nullptr) call.sourceRect = *sourceRect;
    blts.push_back(call);
    if (onBlt) onBlt();
    return DD_OK;
}

HRESULT FakeDirectDraw::CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE *out, IUnknown *outer) {
    record("CreateSurface");
    created.push_back(*desc);
    outers.push_back(outer);
    *out = nullptr;
    if (surface == nullptr) return DDERR_INVALIDPARAMS;
    surface->AddRef();
    *out = surface;
    return DD_OK;
}

HRESULT FakePalette::GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY out) {
    record("GetEntries");
    entryCalls.push_back({flags, base, count});
    for (DWORD i = 0; i < count && base + i < 256; ++i) {
        if (base + i >= writable) return DDERR_INVALIDPARAMS;
        out[i] = entries[base + i];
    }
    return DD_OK;
}

}  // namespace fakes
