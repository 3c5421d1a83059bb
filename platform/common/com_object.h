// Reference counting shared by the stand-in's COM objects.
//
// A class derives from ComObject<I1, I2, ...>, implements its interfaces'
// methods and QueryInterface, and is created with `new` holding one
// reference for its creator. The object deletes itself when the count
// returns to zero, internal references (HoldInternally) included.
#pragma once

#include <atomic>
#include <cstdint>

#include <windows.h>

namespace standin {

template <class... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject() = default;
    ComObject(const ComObject &) = delete;
    ComObject &operator=(const ComObject &) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return Counted(++refs_); }

    ULONG STDMETHODCALLTYPE Release() override {
        const uint64_t left = --refs_;
        if (left == 0) delete this;
        return Counted(left);
    }

    // References the object's own parts hold on it (a sample on its stream):
    // they keep it alive, as the host's do, but are not among the
    // references AddRef and Release report.
    void HoldInternally() { refs_ += kInternal; }
    void LetGoInternally() {
        if ((refs_ -= kInternal) == 0) delete this;
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
    // One count for both kinds, so that the last of either deletes the
    // object once: the host's references below, internal ones above.
    static constexpr uint64_t kInternal = uint64_t{1} << 32;
    static ULONG Counted(uint64_t refs) { return static_cast<ULONG>(refs & (kInternal - 1)); }

    std::atomic<uint64_t> refs_{1};
};

}  // namespace standin
