// One owned reference on a COM object, released when the holder goes.
#pragma once

#include <utility>

namespace standin {

template <class I>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { reset(); }
    ComRef(ComRef &&other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ComRef &operator=(ComRef &&other) noexcept {
        if (this != &other) {
            reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    ComRef(const ComRef &) = delete;
    ComRef &operator=(const ComRef &) = delete;

    // Takes over a reference the caller already holds.
    void adopt(I *object) {
        reset();
        object_ = object;
    }
    void reset() {
        if (object_) std::exchange(object_, nullptr)->Release();
    }
    I *get() const { return object_; }
    I *operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    I *object_ = nullptr;
};

}  // namespace standin
