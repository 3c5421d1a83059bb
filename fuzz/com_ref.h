// Holds one COM reference and releases it when it goes away.
#pragma once

namespace fuzzhost {

template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { reset(); }
    ComRef(const ComRef &) = delete;
    ComRef &operator=(const ComRef &) = delete;

    T *get() const { return p_; }
    T *operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: drops the held reference first.
    T **put() {
        reset();
        return &p_;
    }
    void **putVoid() { return reinterpret_cast<void **>(put()); }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

private:
    T *p_ = nullptr;
};

}  // namespace fuzzhost
