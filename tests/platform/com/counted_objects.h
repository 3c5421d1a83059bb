// COM objects for tests that watch their reference counts from outside.
#pragma once

#include <atomic>
#include <functional>

#include <standin/standin.h>
#include <windows.h>

namespace comtest {

// Exact reference counting whose count a test can read.
template <class Interface>
class Counted : public Interface {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    ULONG Refs() const { return refs_; }

protected:
    virtual ~Counted() = default;

private:
    std::atomic<ULONG> refs_{1};
};

// A plain object; `live` counts instances not yet destroyed.
class CountedObject final : public Counted<IUnknown> {
public:
    explicit CountedObject(std::atomic<int> &live) : live_(live) { ++live_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (riid != IID_IUnknown) return E_NOINTERFACE;
        *out = static_cast<IUnknown *>(this);
        AddRef();
        return S_OK;
    }

private:
    ~CountedObject() override { --live_; }
    std::atomic<int> &live_;
};

// A class factory that makes CountedObjects and records how it was used.
class CountedFactory final : public Counted<IClassFactory> {
public:
    std::atomic<int> live{0};
    std::atomic<int> created{0};
    IUnknown *lastOuter = nullptr;
    HRESULT failWith = S_OK;              // returned instead of creating, when a failure
    std::function<void()> whileCreating;  // runs inside CreateInstance

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
        *out = static_cast<IClassFactory *>(this);
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID riid, void **out) override {
        lastOuter = outer;
        if (whileCreating) whileCreating();
        *out = nullptr;
        if (FAILED(failWith)) return failWith;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        auto *object = new CountedObject(live);
        const HRESULT hr = object->QueryInterface(riid, out);
        object->Release();
        if (SUCCEEDED(hr)) ++created;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

// Leaves the calling thread's COM count at zero, whatever a test did.
inline void UninitializeFully() {
    while (StandinComInitCount() > 0) CoUninitialize();
}

}  // namespace comtest
