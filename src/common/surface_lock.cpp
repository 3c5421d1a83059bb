#include "common/surface_lock.h"

#include <cstdio>

#include "common/surface_desc.h"

bool lockWholeSurface(IDirectDrawSurface *surface, DDSURFACEDESC *desc) {
    *desc = blankSurfaceDesc();
    if (surface->Lock(nullptr, desc, DDLOCK_WAIT, nullptr) == DD_OK) return true;
    // No line end: the message is one word of a line the host may continue.
    std::fputs("Error in Lock", stderr);
    return false;
}
