// Keeps C++ exceptions inside the stand-in: a COM method or a thread of its
// own runs its body through GuardExceptions and gets an HRESULT instead.
#pragma once

#include <new>
#include <utility>

#include <windows.h>

namespace standin {

// The body's result; E_OUTOFMEMORY when it ran out of memory, E_UNEXPECTED
// for any other exception.
template <class Body>
HRESULT GuardExceptions(Body &&body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace standin
