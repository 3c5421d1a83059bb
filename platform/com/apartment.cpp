// CoInitialize/CoInitializeEx/CoUninitialize: each thread keeps its own
// count of successful calls and the apartment model the first one chose.
#include "com/apartment.h"

#include <objbase.h>
#include <standin/standin.h>

namespace {

constexpr DWORD kKnownCoInitFlags = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY;

struct ThreadApartment {
    ULONG count = 0;
    bool apartmentThreaded = false;  // meaningful only while count > 0
};

thread_local ThreadApartment tApartment;

}  // namespace

namespace standin {

bool ComInitializedOnThisThread() { return tApartment.count > 0; }

}  // namespace standin

extern "C" {

HRESULT WINAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit) {
    if (pvReserved != nullptr || (dwCoInit & ~kKnownCoInitFlags) != 0) return E_INVALIDARG;
    const bool apartmentThreaded = (dwCoInit & COINIT_APARTMENTTHREADED) != 0;
    ThreadApartment &apartment = tApartment;
    if (apartment.count == 0) {
        apartment.apartmentThreaded = apartmentThreaded;
        apartment.count = 1;
        return S_OK;
    }
    if (apartment.apartmentThreaded != apartmentThreaded) return RPC_E_CHANGED_MODE;
    ++apartment.count;
    return S_FALSE;
}

HRESULT WINAPI CoInitialize(LPVOID pvReserved) { return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED); }

void WINAPI CoUninitialize(void) {
    // An unmatched call is ignored; at zero the next CoInitialize may pick
    // either model again.
    if (tApartment.count > 0) --tApartment.count;
}

ULONG StandinComInitCount(void) { return tApartment.count; }

}  // extern "C"
