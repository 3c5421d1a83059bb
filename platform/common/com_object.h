// Reference counting shared by the stand-in's COM objects.
//
// A class derives from ComObject<I1, I2, ...>, implements its interfaces'
// methods and QueryInterface, and is created with `new` holding one
// reference for its creator. The object deletes itself when the count
// returns to zero.
#pragma once

#include <atomic>

#include <windows.h>

namespace standin {

template <class... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject() = default;
    ComObject(const ComObject &) = delete;
    ComObject &operator=(const ComObject &) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }

    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~ComObject() = default;

    // Hands out `self` with a new reference, the way QueryInterface does.
    template <class I>
    HRESULT Hand(I *self, void **out) {
        *out = self;
        AddRef();
        return S_OK;
    }

private:
    std::atomic<ULONG> refs_{1};
};

}  // namespace standin
