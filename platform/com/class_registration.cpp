// CoRegisterClassObject/CoRevokeClassObject: a host (or a test) replaces a
// class, built-in ones included, for the whole process.
#include <objbase.h>

#include "com/apartment.h"
#include "com/class_object_table.h"
#include "common/exception_guard.h"

extern "C" {

HRESULT WINAPI CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pUnk, DWORD, DWORD, LPDWORD lpdwRegister) {
    if (lpdwRegister == nullptr) return E_INVALIDARG;
    *lpdwRegister = 0;
    if (pUnk == nullptr) return E_INVALIDARG;
    if (!standin::ComInitializedOnThisThread()) return CO_E_NOTINITIALIZED;
    return standin::GuardExceptions([&] {
        *lpdwRegister = standin::ClassObjectTable::Instance().Add(rclsid, pUnk);
        return S_OK;
    });
}

HRESULT WINAPI CoRevokeClassObject(DWORD dwRegister) {
    IUnknown *object = nullptr;
    const HRESULT hr = standin::GuardExceptions([&] {
        object = standin::ClassObjectTable::Instance().Remove(dwRegister);
        return S_OK;
    });
    if (FAILED(hr)) return hr;
    if (object == nullptr) return E_INVALIDARG;
    // Released outside the table's lock: its destructor may call COM.
    object->Release();
    return S_OK;
}

}  // extern "C"
