// Helpers shared by the DirectDraw tests: owning pointers and surfaces made
// and inspected through the public interfaces only.
#pragma once

#include <memory>
#include <vector>

#include <ddraw.h>

namespace ddtest {

struct Releaser {
    void operator()(IUnknown *object) const {
        if (object) object->Release();
    }
};
template <class T>
using Owned = std::unique_ptr<T, Releaser>;

// The reference count, read by a matched AddRef/Release pair.
inline ULONG RefCount(IUnknown *object) {
    object->AddRef();
    return object->Release();
}

Owned<IDirectDraw> OpenDirectDraw();

DDSURFACEDESC SurfaceDesc(DWORD flags, DWORD caps);

// An offscreen system-memory surface of `bits` per pixel (0: the screen's
// format); null if CreateSurface refused it.
Owned<IDirectDrawSurface> MakeOffscreen(IDirectDraw *dd, DWORD width, DWORD height, DWORD bits);
Owned<IDirectDrawSurface> MakePrimary(IDirectDraw *dd);

// The format CreateSurface accepts for each depth.
DDPIXELFORMAT RgbFormat(DWORD bits);

// Writes or reads pixel (x, y) of a surface through Lock/Unlock; pixel
// values are the low bytes of a DWORD, little-endian.
void PutPixel(IDirectDrawSurface *surface, DWORD x, DWORD y, DWORD value);
DWORD GetPixel(IDirectDrawSurface *surface, DWORD x, DWORD y);

// Fills each pixel with a value unique to its position: (y << 8) | x for
// surfaces smaller than 256 x 256.
void PaintCoordinates(IDirectDrawSurface *surface);
inline DWORD Coordinate(DWORD x, DWORD y) { return (y << 8) | x; }

}  // namespace ddtest
