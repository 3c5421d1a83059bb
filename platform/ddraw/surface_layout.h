// What CreateSurface makes of a caller's DDSURFACEDESC.
#pragma once

#include <ddraw.h>

#include "screen/screen_mode.h"

namespace standin {

struct SurfaceLayout {
    bool primary = false;
    DWORD width = 0;
    DWORD height = 0;
    LONG pitch = 0;
    DDPIXELFORMAT format = {};
    DWORD caps = 0;  // as GetCaps and Lock report them
};

// Offscreen surfaces larger than this are refused with DDERR_OUTOFMEMORY
// rather than left to the allocator.
constexpr size_t kMaxSurfaceBytes = size_t{1} << 30;
constexpr DWORD kMaxSurfaceSide = 65536;

// DD_OK and `layout` filled, or the DirectDraw error for the description.
// Only DDSD_CAPS, DDSD_WIDTH, DDSD_HEIGHT and DDSD_PIXELFORMAT are read;
// other flags (a description filled in by a Lock, say) are ignored.
HRESULT ParseSurfaceDesc(const DDSURFACEDESC &desc, const ScreenMode &screen, SurfaceLayout *layout);

}  // namespace standin
