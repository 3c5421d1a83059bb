#include "common/allocation_count.h"

#include <atomic>
#include <cerrno>
#include <cstddef>

// Sanitizers replace malloc themselves: wrapping it there would bypass them.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VIDSURF_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VIDSURF_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef VIDSURF_COUNT_ALLOCATIONS
#define VIDSURF_COUNT_ALLOCATIONS 1
#endif

namespace {
std::atomic<uint64_t> allocations{0};
}  // namespace

bool AllocationCountingAvailable() { return VIDSURF_COUNT_ALLOCATIONS != 0; }

uint64_t AllocationCount() { return allocations.load(std::memory_order_relaxed); }

#if VIDSURF_COUNT_ALLOCATIONS
// The executable's definitions interpose glibc's for every shared library of
// the process; each forwards to glibc's own entry point. operator new ends
// in malloc, so it is counted there.
extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
void *__libc_memalign(size_t, size_t);

void *malloc(size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
void *calloc(size_t count, size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
void *realloc(void *block, size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(block, size);
}
void *memalign(size_t alignment, size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_memalign(alignment, size);
}
void *aligned_alloc(size_t alignment, size_t size) { return memalign(alignment, size); }
int posix_memalign(void **out, size_t alignment, size_t size) {
    void *block = memalign(alignment, size);
    if (!block) return ENOMEM;
    *out = block;
    return 0;
}
}  // extern "C"
#endif
