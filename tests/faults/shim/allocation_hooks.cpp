// The allocator's entry points: each may fail while the shim is armed, and
// otherwise goes on to the next definition. That call is the function's
// last, a tail call, so the sanitizer records the allocation's real caller
// (LeakSanitizer ignores what the dynamic loader allocates by its caller).
#include <errno.h>

#include <cstdint>
#include <cstring>

#include "fault_shim.h"

using faultshim::AllocationFails;
using faultshim::Next;
using faultshim::NextFunctions;

namespace {

void *Failed() {
    errno = ENOMEM;
    return nullptr;
}

}  // namespace

SHIM_EXPORT void *malloc(size_t size) {
    if (faultshim::t_resolving) return faultshim::BootstrapAllocate(size);
    const NextFunctions &next = Next();
    if (AllocationFails()) return Failed();
    return next.malloc(size);
}

SHIM_EXPORT void *calloc(size_t count, size_t size) {
    if (faultshim::t_resolving) {
        if (size != 0 && count > SIZE_MAX / size) return nullptr;
        return faultshim::BootstrapAllocate(count * size);  // static storage: already zero
    }
    const NextFunctions &next = Next();
    if (AllocationFails()) return Failed();
    return next.calloc(count, size);
}

SHIM_EXPORT void free(void *pointer) {
    if (pointer == nullptr || faultshim::IsBootstrap(pointer) || faultshim::t_resolving) return;
    Next().free(pointer);
}

SHIM_EXPORT void *realloc(void *pointer, size_t size) {
    if (pointer != nullptr && faultshim::IsBootstrap(pointer)) {
        // A bootstrap block moves to a fresh one, on the real heap once there is one.
        void *moved = faultshim::t_resolving ? faultshim::BootstrapAllocate(size) : malloc(size);
        const size_t old = faultshim::BootstrapSize(pointer);
        if (moved) std::memcpy(moved, pointer, old < size ? old : size);
        return moved;
    }
    if (faultshim::t_resolving) return pointer == nullptr ? faultshim::BootstrapAllocate(size) : nullptr;
    const NextFunctions &next = Next();
    // realloc(p, 0) frees; only a request for memory can fail.
    if (size != 0 && AllocationFails()) return Failed();
    return next.realloc(pointer, size);
}

SHIM_EXPORT void *reallocarray(void *pointer, size_t count, size_t size) {
    const NextFunctions &next = Next();
    if (count != 0 && size != 0 && AllocationFails()) return Failed();
    return next.reallocarray(pointer, count, size);
}

SHIM_EXPORT int posix_memalign(void **out, size_t alignment, size_t size) {
    const NextFunctions &next = Next();
    if (AllocationFails()) return ENOMEM;
    return next.posix_memalign(out, alignment, size);
}

SHIM_EXPORT void *aligned_alloc(size_t alignment, size_t size) {
    const NextFunctions &next = Next();
    if (AllocationFails()) return Failed();
    return next.aligned_alloc(alignment, size);
}

SHIM_EXPORT void *memalign(size_t alignment, size_t size) {
    const NextFunctions &next = Next();
    if (AllocationFails()) return Failed();
    return next.memalign(alignment, size);
}

SHIM_EXPORT void *valloc(size_t size) {
    const NextFunctions &next = Next();
    if (AllocationFails()) return Failed();
    return next.valloc(size);
}

// Each operator new goes on to the same variant next in line, so the
// sanitizer still pairs every new with its delete.
#define SHIM_NEW __attribute__((visibility("default")))

#define THROWING_NEW(function, ...)                \
    const NextFunctions &next = Next();            \
    if (AllocationFails()) throw std::bad_alloc(); \
    return next.function(__VA_ARGS__)

#define NOTHROW_NEW(function, ...)         \
    const NextFunctions &next = Next();    \
    if (AllocationFails()) return nullptr; \
    return next.function(__VA_ARGS__)

SHIM_NEW void *operator new(size_t size) { THROWING_NEW(new_, size); }
SHIM_NEW void *operator new[](size_t size) { THROWING_NEW(newArray, size); }
SHIM_NEW void *operator new(size_t size, const std::nothrow_t &tag) noexcept { NOTHROW_NEW(newNothrow, size, tag); }
SHIM_NEW void *operator new[](size_t size, const std::nothrow_t &tag) noexcept {
    NOTHROW_NEW(newArrayNothrow, size, tag);
}
SHIM_NEW void *operator new(size_t size, std::align_val_t alignment) { THROWING_NEW(newAligned, size, alignment); }
SHIM_NEW void *operator new[](size_t size, std::align_val_t alignment) {
    THROWING_NEW(newArrayAligned, size, alignment);
}
SHIM_NEW void *operator new(size_t size, std::align_val_t alignment, const std::nothrow_t &tag) noexcept {
    NOTHROW_NEW(newAlignedNothrow, size, alignment, tag);
}
SHIM_NEW void *operator new[](size_t size, std::align_val_t alignment, const std::nothrow_t &tag) noexcept {
    NOTHROW_NEW(newArrayAlignedNothrow, size, alignment, tag);
}
