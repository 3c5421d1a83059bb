// DirectDrawCreate: a new DirectDraw object over the one screen.
#include <new>

#include <ddraw.h>

#include "ddraw/direct_draw.h"

// Any display GUID other than the two driver-choice values names a device
// that does not exist here.
extern "C" HRESULT WINAPI DirectDrawCreate(GUID *guid, LPDIRECTDRAW *directDraw, IUnknown *outer) {
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!directDraw) return DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    const GUID *hardwareOnly = reinterpret_cast<const GUID *>(DDCREATE_HARDWAREONLY);
    const GUID *emulationOnly = reinterpret_cast<const GUID *>(DDCREATE_EMULATIONONLY);
    if (guid && guid != hardwareOnly && guid != emulationOnly) return DDERR_INVALIDDIRECTDRAWGUID;
    try {
        *directDraw = new standin::DirectDraw();
    } catch (const std::bad_alloc &) {
        return DDERR_OUTOFMEMORY;
    }
    return DD_OK;
}
