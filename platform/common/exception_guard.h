// Keeps C++ exceptions inside the stand-in: a COM method or a thread of its
// own runs its body through GuardExceptions and gets an HRESULT instead; an
// exported function runs it through GuardApi and fails as Windows' own do,
// with the thread's last error set.
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

// The body's result; `failed` with the last error ERROR_NOT_ENOUGH_MEMORY
// when it ran out of memory (ERROR_INVALID_FUNCTION for any other
// exception).
template <class Result, class Body>
Result GuardApi(Result failed, Body &&body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (const std::bad_alloc &) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        SetLastError(ERROR_INVALID_FUNCTION);
    }
    return failed;
}

}  // namespace standin
