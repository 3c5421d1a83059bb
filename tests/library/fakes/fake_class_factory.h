// Hands out a given object for CLSID_AMMultiMediaStream once registered.
#pragma once

#include "fakes/fake_object.h"

namespace fakes {

class FakeClassFactory final : public FakeObject<IClassFactory> {
public:
    explicit FakeClassFactory(CallLog *log) : FakeObject(log, "factory", IID_IClassFactory) {}

    IUnknown *product = nullptr;  // null: CreateInstance fails
    int created = 0;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID riid, void **out) override {
        record("CreateInstance");
        *out = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        if (product == nullptr) return E_OUTOFMEMORY;
        ++created;
        return product->QueryInterface(riid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

}  // namespace fakes
