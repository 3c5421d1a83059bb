#include "present/surface_lookup.h"

#include "common/surface_lock.h"

void ddSurfaceLookup(IDirectDrawSurface *surface, const TranslationTable *table) {
    DDSURFACEDESC desc;
    if (!lockWholeSurface(surface, &desc)) return;

    // One byte per pixel: the width is a byte count.
    const LONG width = static_cast<LONG>(desc.dwWidth);
    const LONG height = static_cast<LONG>(desc.dwHeight);
    BYTE *row = static_cast<BYTE *>(desc.lpSurface);
    for (LONG y = 0; y < height; ++y, row += desc.lPitch) {
        for (LONG x = 0; x < width; ++x) row[x] = table->index[row[x]];
    }
    surface->Unlock(nullptr);
}
