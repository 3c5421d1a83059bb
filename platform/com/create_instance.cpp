// CoCreateInstance: registered class objects first, then the built-in
// classes.
#include <amstream.h>
#include <objbase.h>

#include "com/apartment.h"
#include "com/class_object_table.h"
#include "common/exception_guard.h"
#include "mmstream/com/multimedia_stream_factory.h"

namespace {

HRESULT CreateThroughClassObject(IUnknown *classObject, IUnknown *outer, REFIID riid, void **out) {
    IClassFactory *factory = nullptr;
    HRESULT hr = classObject->QueryInterface(IID_IClassFactory, reinterpret_cast<void **>(&factory));
    if (FAILED(hr)) return hr;
    if (factory == nullptr) return E_NOINTERFACE;
    hr = factory->CreateInstance(outer, riid, out);
    factory->Release();
    return hr;
}

}  // namespace

extern "C" {

HRESULT WINAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD, REFIID riid, LPVOID *ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (!standin::ComInitializedOnThisThread()) return CO_E_NOTINITIALIZED;

    const HRESULT hr = standin::GuardExceptions([&] {
        if (IUnknown *classObject = standin::ClassObjectTable::Instance().Find(rclsid)) {
            // The table's lock is not held here: the factory may call COM.
            const HRESULT created = CreateThroughClassObject(classObject, pUnkOuter, riid, ppv);
            classObject->Release();
            return created;
        }
        if (rclsid == CLSID_AMMultiMediaStream) return standin::CreateAMMultiMediaStream(pUnkOuter, riid, ppv);
        return REGDB_E_CLASSNOTREG;
    });
    if (FAILED(hr)) *ppv = nullptr;
    return hr;
}

}  // extern "C"
