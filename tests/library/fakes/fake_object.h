// Reference counting for fakes owned by the test (on the stack or in a
// fixture): the count starts at 1, the test's own reference, and nothing is
// deleted at zero, so a test can check that every reference it handed out
// came back.
#pragma once

#include <string>

#include <windows.h>

#include "fakes/call_log.h"

namespace fakes {

template <class Interface>
class FakeObject : public Interface {
public:
    FakeObject(CallLog *log, std::string name, const IID &iid) : log_(log), name_(std::move(name)), iid_(iid) {}
    FakeObject(const FakeObject &) = delete;
    FakeObject &operator=(const FakeObject &) = delete;
    virtual ~FakeObject() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (riid != IID_IUnknown && riid != iid_) return E_NOINTERFACE;
        *out = static_cast<Interface *>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        record("Release");
        return --refs_;
    }

    ULONG refs() const { return refs_; }
    const std::string &name() const { return name_; }

protected:
    void record(const std::string &call) {
        if (log_ != nullptr) log_->add(name_ + "." + call);
    }

private:
    CallLog *log_;
    std::string name_;
    IID iid_;
    ULONG refs_ = 1;
};

}  // namespace fakes
