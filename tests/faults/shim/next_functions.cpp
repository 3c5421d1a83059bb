// Finding the next definition of each function the shim defines, and the
// static buffer that serves dlsym's own allocations meanwhile.
#include <dlfcn.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "fault_shim.h"

namespace faultshim {

SHIM_TLS bool t_resolving = false;

namespace {

alignas(64) char g_bootstrap[64 * 1024];
std::atomic<size_t> g_bootstrapUsed{0};

NextFunctions g_next;
std::atomic<int> g_resolved{0};  // 0 not yet, 1 under way, 2 done

template <typename Function>
void Find(Function *slot, const char *name) {
    *slot = reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
    if (*slot == nullptr) {
        static const char kMessage[] = "fault_shim: a function to forward to is missing\n";
        const ssize_t ignored = write(2, kMessage, sizeof(kMessage) - 1);
        (void)ignored;
        abort();
    }
}

void FindAll() {
    Find(&g_next.malloc, "malloc");
    Find(&g_next.calloc, "calloc");
    Find(&g_next.realloc, "realloc");
    Find(&g_next.reallocarray, "reallocarray");
    Find(&g_next.free, "free");
    Find(&g_next.posix_memalign, "posix_memalign");
    Find(&g_next.aligned_alloc, "aligned_alloc");
    Find(&g_next.memalign, "memalign");
    Find(&g_next.valloc, "valloc");
    Find(&g_next.new_, "_Znwm");
    Find(&g_next.newArray, "_Znam");
    Find(&g_next.newNothrow, "_ZnwmRKSt9nothrow_t");
    Find(&g_next.newArrayNothrow, "_ZnamRKSt9nothrow_t");
    Find(&g_next.newAligned, "_ZnwmSt11align_val_t");
    Find(&g_next.newArrayAligned, "_ZnamSt11align_val_t");
    Find(&g_next.newAlignedNothrow, "_ZnwmSt11align_val_tRKSt9nothrow_t");
    Find(&g_next.newArrayAlignedNothrow, "_ZnamSt11align_val_tRKSt9nothrow_t");
    Find(&g_next.open, "open");
    Find(&g_next.open64, "open64");
    Find(&g_next.openat, "openat");
    Find(&g_next.openat64, "openat64");
    Find(&g_next.close, "close");
    Find(&g_next.read, "read");
    Find(&g_next.lseek, "lseek");
    Find(&g_next.lseek64, "lseek64");
    Find(&g_next.pthread_create, "pthread_create");
}

}  // namespace

void *BootstrapAllocate(size_t size) {
    const size_t rounded = (size + 63) & ~size_t{63};
    const size_t offset = g_bootstrapUsed.fetch_add(rounded + 64);
    if (offset + rounded + 64 > sizeof(g_bootstrap)) return nullptr;
    char *block = g_bootstrap + offset + 64;
    std::memcpy(block - sizeof(size_t), &size, sizeof(size_t));
    return block;
}

bool IsBootstrap(const void *pointer) {
    const char *p = static_cast<const char *>(pointer);
    return p >= g_bootstrap && p < g_bootstrap + sizeof(g_bootstrap);
}

size_t BootstrapSize(const void *pointer) {
    size_t size;
    std::memcpy(&size, static_cast<const char *>(pointer) - sizeof(size_t), sizeof(size_t));
    return size;
}

const NextFunctions &Next() {
    if (g_resolved.load(std::memory_order_acquire) == 2) return g_next;
    int expected = 0;
    if (g_resolved.compare_exchange_strong(expected, 1)) {
        t_resolving = true;
        FindAll();
        t_resolving = false;
        g_resolved.store(2, std::memory_order_release);
        return g_next;
    }
    // Another thread is looking them up.
    while (g_resolved.load(std::memory_order_acquire) != 2) sched_yield();
    return g_next;
}

}  // namespace faultshim
