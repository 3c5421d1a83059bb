// fault_shim: an LD_PRELOAD library that makes allocations and the reads of
// one file fail at seeded points, for the fault lane (scripts/fault-lane.sh).
//
// Nothing fails until the host arms the shim: it looks up the exported
// functions below with dlsym(RTLD_DEFAULT, ...) and calls
//   void FaultArm(void)      start injecting (and counting calls) from here
//   void FaultDisarm(void)   stop injecting
//   unsigned long FaultInjected(void)     faults injected so far
//   unsigned long FaultAllocations(void)  allocation calls seen while armed
// so the dynamic loader, the sanitizer runtime's start-up and the host's own
// set-up never meet a fault.
//
// Environment (read once, when the shim is loaded):
//   FAULT_ALLOC=once:N     the N-th armed allocation call (from 1) fails
//   FAULT_ALLOC=from:N     the N-th armed allocation call and every later one fail
//   FAULT_ALLOC=random:P   each armed allocation call fails with probability P
//                          (0 to 1), drawn from FAULT_SEED, the thread and the
//                          call's number on that thread
//   FAULT_SEED=S           the seed of random:P (default 1)
// once:N and from:N count the calls of every thread together, so which call
// is the N-th depends on how the threads interleave; random:P draws for each
// thread on its own (threads are numbered in the order they are made), so a
// seed gives the same failures to a thread that makes the same calls.
//   FAULT_FILE=PATH        the movie: descriptors opened on a path ending in
//                          PATH (an absolute path, or the name's last part,
//                          as the program opens the file) are the ones whose
//                          reads and seeks fail
//   FAULT_READ=eio-once    one read fails with EIO, later ones succeed
//   FAULT_READ=eio         every read fails with EIO
//   FAULT_READ=eagain      every other read fails with EAGAIN
//   FAULT_READ=short       every read returns at most one byte
//   FAULT_READ=lseek       every lseek fails with EIO (reads succeed)
//   FAULT_READ_AFTER=K     read faults start once K bytes of the file have been
//                          read while armed (default 0: from the first read)
//
// Allocations are malloc, calloc, realloc, reallocarray, posix_memalign,
// aligned_alloc, memalign, valloc and every replaceable operator new and
// new[]; a failing operator new throws std::bad_alloc, a nothrow one returns
// null, the C functions return null (posix_memalign ENOMEM) with errno ENOMEM.
// Frees are never failed. Every call goes on to the next definition
// (dlsym(RTLD_NEXT, ...)): under AddressSanitizer that is the sanitizer's
// allocator, which then sees every allocation, provided the shim comes first
// in LD_PRELOAD and the sanitizer runtime second:
//   ASAN_OPTIONS=verify_asan_link_order=0
//   LD_PRELOAD=fault_shim.so:$(gcc -print-file-name=libasan.so)
// The shim itself is built without sanitizers: it runs inside the allocator.
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdarg.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sched.h>

#define SHIM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

enum class AllocMode { kOff, kOnce, kFrom, kRandom };
enum class ReadMode { kOff, kEioOnce, kEio, kEagain, kShort, kLseek };

struct Config {
    AllocMode alloc = AllocMode::kOff;
    uint64_t allocAt = 0;      // once:N, from:N
    uint64_t threshold = 0;    // random:P as a fraction of 2^64
    uint64_t seed = 1;
    ReadMode read = ReadMode::kOff;
    uint64_t readAfter = 0;
    char file[512] = {};
    size_t fileLength = 0;
};

Config g_config;
std::atomic<bool> g_armed{false};
std::atomic<uint64_t> g_allocCalls{0};
std::atomic<uint64_t> g_injected{0};
std::atomic<uint64_t> g_bytesRead{0};   // from the movie's descriptors while armed
std::atomic<uint64_t> g_reads{0};       // reads of the movie's descriptors while faulting
std::atomic<bool> g_eioSpent{false};

constexpr int kMaxTrackedFd = 4096;
std::atomic<bool> g_tracked[kMaxTrackedFd];

// Set on the thread that arms the shim and on every thread from the start
// of its own routine: allocations a sanitizer makes through the C library
// while it sets a new thread up (pthread_getattr_np) come before, and are
// never failed, as the sanitizer cannot take a failure there.
__attribute__((tls_model("initial-exec"))) thread_local bool t_userCode = false;
// The thread's number (0 for the one that arms the shim, then in the order
// threads are made) and its armed allocation calls, for random:P.
__attribute__((tls_model("initial-exec"))) thread_local uint64_t t_thread = 0;
__attribute__((tls_model("initial-exec"))) thread_local uint64_t t_calls = 0;
std::atomic<uint64_t> g_threadsMade{0};

uint64_t SplitMix(uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

uint64_t ParseUnsigned(const char *text) { return text ? std::strtoull(text, nullptr, 10) : 0; }

// Parsed by hand: strtod may allocate for locales.
uint64_t ParseProbability(const char *text) {
    double value = 0, scale = 1;
    bool fraction = false;
    for (; *text; ++text) {
        if (*text == '.') {
            fraction = true;
        } else if (*text >= '0' && *text <= '9') {
            if (fraction) {
                scale /= 10;
                value += (*text - '0') * scale;
            } else {
                value = value * 10 + (*text - '0');
            }
        } else {
            break;
        }
    }
    if (value >= 1) return UINT64_MAX;
    return static_cast<uint64_t>(value * 18446744073709551616.0);
}

bool StartsWith(const char *text, const char *prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

__attribute__((constructor)) void ReadConfig() {
    if (const char *alloc = std::getenv("FAULT_ALLOC")) {
        if (StartsWith(alloc, "once:")) {
            g_config.alloc = AllocMode::kOnce;
            g_config.allocAt = ParseUnsigned(alloc + 5);
        } else if (StartsWith(alloc, "from:")) {
            g_config.alloc = AllocMode::kFrom;
            g_config.allocAt = ParseUnsigned(alloc + 5);
        } else if (StartsWith(alloc, "random:")) {
            g_config.alloc = AllocMode::kRandom;
            g_config.threshold = ParseProbability(alloc + 7);
        }
    }
    if (const char *seed = std::getenv("FAULT_SEED")) g_config.seed = ParseUnsigned(seed);
    if (const char *read = std::getenv("FAULT_READ")) {
        if (!std::strcmp(read, "eio-once")) g_config.read = ReadMode::kEioOnce;
        else if (!std::strcmp(read, "eio")) g_config.read = ReadMode::kEio;
        else if (!std::strcmp(read, "eagain")) g_config.read = ReadMode::kEagain;
        else if (!std::strcmp(read, "short")) g_config.read = ReadMode::kShort;
        else if (!std::strcmp(read, "lseek")) g_config.read = ReadMode::kLseek;
    }
    g_config.readAfter = ParseUnsigned(std::getenv("FAULT_READ_AFTER"));
    if (const char *file = std::getenv("FAULT_FILE")) {
        std::strncpy(g_config.file, file, sizeof(g_config.file) - 1);
        g_config.fileLength = std::strlen(g_config.file);
    }
}

// Whether this allocation call fails. Calls while disarmed neither fail nor count.
bool AllocationFails() {
    if (!t_userCode || g_config.alloc == AllocMode::kOff || !g_armed.load(std::memory_order_relaxed))
        return false;
    const uint64_t call = g_allocCalls.fetch_add(1, std::memory_order_relaxed) + 1;
    bool fails = false;
    switch (g_config.alloc) {
        case AllocMode::kOnce: fails = call == g_config.allocAt; break;
        case AllocMode::kFrom: fails = call >= g_config.allocAt; break;
        case AllocMode::kRandom:
            fails = SplitMix(SplitMix(g_config.seed ^ (t_thread << 40)) ^ ++t_calls) < g_config.threshold;
            break;
        case AllocMode::kOff: break;
    }
    if (fails) g_injected.fetch_add(1, std::memory_order_relaxed);
    return fails;
}

// dlsym may allocate (its error buffer) while it looks up the allocator
// itself; those calls are served from here and never given back.
alignas(64) char g_bootstrap[64 * 1024];
std::atomic<size_t> g_bootstrapUsed{0};
__attribute__((tls_model("initial-exec"))) thread_local bool t_resolving = false;

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

using MallocFn = void *(*)(size_t);
using CallocFn = void *(*)(size_t, size_t);
using ReallocFn = void *(*)(void *, size_t);
using ReallocArrayFn = void *(*)(void *, size_t, size_t);
using FreeFn = void (*)(void *);
using PosixMemalignFn = int (*)(void **, size_t, size_t);
using AlignedFn = void *(*)(size_t, size_t);
using NewNothrowFn = void *(*)(size_t, const std::nothrow_t &);
using NewAlignedFn = void *(*)(size_t, std::align_val_t);
using NewAlignedNothrowFn = void *(*)(size_t, std::align_val_t, const std::nothrow_t &);
using OpenFn = int (*)(const char *, int, ...);
using OpenAtFn = int (*)(int, const char *, int, ...);
using CloseFn = int (*)(int);
using ReadFn = ssize_t (*)(int, void *, size_t);
using LseekFn = off_t (*)(int, off_t, int);
using ThreadRoutine = void *(*)(void *);
using PthreadCreateFn = int (*)(pthread_t *, const pthread_attr_t *, ThreadRoutine, void *);

// The next definition of every function the shim defines.
struct NextFunctions {
    MallocFn malloc;
    CallocFn calloc;
    ReallocFn realloc;
    ReallocArrayFn reallocarray;
    FreeFn free;
    PosixMemalignFn posix_memalign;
    AlignedFn aligned_alloc;
    AlignedFn memalign;
    MallocFn valloc;
    MallocFn new_;
    MallocFn newArray;
    NewNothrowFn newNothrow;
    NewNothrowFn newArrayNothrow;
    NewAlignedFn newAligned;
    NewAlignedFn newArrayAligned;
    NewAlignedNothrowFn newAlignedNothrow;
    NewAlignedNothrowFn newArrayAlignedNothrow;
    OpenFn open;
    OpenFn open64;
    OpenAtFn openat;
    OpenAtFn openat64;
    CloseFn close;
    ReadFn read;
    LseekFn lseek;
    LseekFn lseek64;
    PthreadCreateFn pthread_create;
};

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

// Looks every function up at the first call into the shim. While dlsym runs,
// the allocations it makes come from the bootstrap buffer, and what it frees
// (an earlier error message) is left alone.
const NextFunctions &Next() {
    if (g_resolved.load(std::memory_order_acquire) == 2) return g_next;
    int expected = 0;
    if (g_resolved.compare_exchange_strong(expected, 1)) {
        t_resolving = true;
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
        t_resolving = false;
        g_resolved.store(2, std::memory_order_release);
        return g_next;
    }
    // Another thread is looking them up.
    while (g_resolved.load(std::memory_order_acquire) != 2) sched_yield();
    return g_next;
}

void *Failed() {
    errno = ENOMEM;
    return nullptr;
}

// --- the movie's descriptors ---

bool IsMovie(const char *path) {
    if (g_config.fileLength == 0 || path == nullptr) return false;
    const size_t length = std::strlen(path);
    return length >= g_config.fileLength &&
           std::memcmp(path + length - g_config.fileLength, g_config.file, g_config.fileLength) == 0;
}

int Track(int fd, const char *path) {
    if (fd >= 0 && fd < kMaxTrackedFd) g_tracked[fd].store(IsMovie(path), std::memory_order_relaxed);
    return fd;
}

bool Tracked(int fd) { return fd >= 0 && fd < kMaxTrackedFd && g_tracked[fd].load(std::memory_order_relaxed); }

// Whether the read faults have started on the movie's descriptors.
bool ReadFaultsLive() {
    return g_config.read != ReadMode::kOff && g_armed.load(std::memory_order_relaxed) &&
           g_bytesRead.load(std::memory_order_relaxed) >= g_config.readAfter;
}

bool HasMode(int flags) { return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE; }

}  // namespace

// --- the controls ---

SHIM_EXPORT void FaultArm(void) {
    t_userCode = true;
    g_armed.store(true);
}
SHIM_EXPORT void FaultDisarm(void) { g_armed.store(false); }
SHIM_EXPORT unsigned long FaultInjected(void) { return g_injected.load(); }
SHIM_EXPORT unsigned long FaultAllocations(void) { return g_allocCalls.load(); }

// --- the C allocator ---

SHIM_EXPORT void *malloc(size_t size) {
    if (t_resolving) return BootstrapAllocate(size);
    const NextFunctions &next = Next();
    if (AllocationFails()) return Failed();
    return next.malloc(size);
}

SHIM_EXPORT void *calloc(size_t count, size_t size) {
    if (t_resolving) {
        if (size != 0 && count > SIZE_MAX / size) return nullptr;
        return BootstrapAllocate(count * size);  // static storage: already zero
    }
    const NextFunctions &next = Next();
    if (AllocationFails()) return Failed();
    return next.calloc(count, size);
}

SHIM_EXPORT void free(void *pointer) {
    // What dlsym frees while the shim looks its functions up is left alone.
    if (pointer == nullptr || IsBootstrap(pointer) || t_resolving) return;
    const NextFunctions &next = Next();
    next.free(pointer);
}

SHIM_EXPORT void *realloc(void *pointer, size_t size) {
    if (pointer != nullptr && IsBootstrap(pointer)) {
        // A bootstrap block moves to a fresh one, on the real heap once there is one.
        void *moved = t_resolving ? BootstrapAllocate(size) : malloc(size);
        const size_t old = BootstrapSize(pointer);
        if (moved) std::memcpy(moved, pointer, old < size ? old : size);
        return moved;
    }
    if (t_resolving) {
        if (pointer == nullptr) return BootstrapAllocate(size);
        return nullptr;  // the real heap cannot be reached yet
    }
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

// --- operator new: each variant goes on to the same variant next in line,
// so the sanitizer still pairs every new with its delete ---

// The call that goes on is the function's last, a tail call, so the
// sanitizer records the allocation's real caller (LeakSanitizer ignores
// what the dynamic loader allocates by that caller).
#define THROWING_NEW(function, ...)                \
    const NextFunctions &next = Next();            \
    if (AllocationFails()) throw std::bad_alloc(); \
    return next.function(__VA_ARGS__)

#define NOTHROW_NEW(function, ...)         \
    const NextFunctions &next = Next();    \
    if (AllocationFails()) return nullptr; \
    return next.function(__VA_ARGS__)

void *operator new(size_t size) { THROWING_NEW(new_, size); }
void *operator new[](size_t size) { THROWING_NEW(newArray, size); }
void *operator new(size_t size, const std::nothrow_t &tag) noexcept { NOTHROW_NEW(newNothrow, size, tag); }
void *operator new[](size_t size, const std::nothrow_t &tag) noexcept { NOTHROW_NEW(newArrayNothrow, size, tag); }
void *operator new(size_t size, std::align_val_t alignment) { THROWING_NEW(newAligned, size, alignment); }
void *operator new[](size_t size, std::align_val_t alignment) { THROWING_NEW(newArrayAligned, size, alignment); }
void *operator new(size_t size, std::align_val_t alignment, const std::nothrow_t &tag) noexcept {
    NOTHROW_NEW(newAlignedNothrow, size, alignment, tag);
}
void *operator new[](size_t size, std::align_val_t alignment, const std::nothrow_t &tag) noexcept {
    NOTHROW_NEW(newArrayAlignedNothrow, size, alignment, tag);
}

// --- the movie's file ---

// The mode argument of open and openat, present when the flags create a file.
#define OPEN_MODE(last)                  \
    mode_t mode = 0;                     \
    if (HasMode(flags)) {                \
        va_list args;                    \
        va_start(args, last);            \
        mode = va_arg(args, mode_t);     \
        va_end(args);                    \
    }

SHIM_EXPORT int open(const char *path, int flags, ...) {
    OPEN_MODE(flags);
    const NextFunctions &next = Next();
    return Track(next.open(path, flags, mode), path);
}

SHIM_EXPORT int open64(const char *path, int flags, ...) {
    OPEN_MODE(flags);
    const NextFunctions &next = Next();
    return Track(next.open64(path, flags, mode), path);
}

SHIM_EXPORT int openat(int dir, const char *path, int flags, ...) {
    OPEN_MODE(flags);
    const NextFunctions &next = Next();
    return Track(next.openat(dir, path, flags, mode), path);
}

SHIM_EXPORT int openat64(int dir, const char *path, int flags, ...) {
    OPEN_MODE(flags);
    const NextFunctions &next = Next();
    return Track(next.openat64(dir, path, flags, mode), path);
}

SHIM_EXPORT int close(int fd) {
    const NextFunctions &next = Next();
    if (fd >= 0 && fd < kMaxTrackedFd) g_tracked[fd].store(false, std::memory_order_relaxed);
    return next.close(fd);
}

namespace {

// The fault a read of the movie meets, if any: -1 with errno set, or the
// read goes ahead (with *size cut down for short reads).
bool ReadFails(size_t *size) {
    if (!ReadFaultsLive()) return false;
    const uint64_t number = g_reads.fetch_add(1, std::memory_order_relaxed);
    switch (g_config.read) {
        case ReadMode::kEioOnce:
            if (g_eioSpent.exchange(true)) return false;
            errno = EIO;
            break;
        case ReadMode::kEio: errno = EIO; break;
        case ReadMode::kEagain:
            if (number % 2 != 0) return false;
            errno = EAGAIN;
            break;
        case ReadMode::kShort:
            if (*size > 1) {
                g_injected.fetch_add(1, std::memory_order_relaxed);
                *size = 1;
            }
            return false;
        case ReadMode::kLseek:
        case ReadMode::kOff: return false;
    }
    g_injected.fetch_add(1, std::memory_order_relaxed);
    return true;
}

off_t SeekMovie(int fd, off_t offset, int whence, LseekFn next) {
    if (Tracked(fd) && g_config.read == ReadMode::kLseek && ReadFaultsLive()) {
        g_injected.fetch_add(1, std::memory_order_relaxed);
        errno = EIO;
        return -1;
    }
    return next(fd, offset, whence);
}

}  // namespace

SHIM_EXPORT ssize_t read(int fd, void *buffer, size_t size) {
    const NextFunctions &next = Next();
    if (!Tracked(fd)) return next.read(fd, buffer, size);
    if (ReadFails(&size)) return -1;
    const ssize_t got = next.read(fd, buffer, size);
    if (got > 0 && g_armed.load(std::memory_order_relaxed)) g_bytesRead.fetch_add(static_cast<uint64_t>(got));
    return got;
}

SHIM_EXPORT off_t lseek(int fd, off_t offset, int whence) {
    const NextFunctions &next = Next();
    return SeekMovie(fd, offset, whence, next.lseek);
}

SHIM_EXPORT off_t lseek64(int fd, off_t offset, int whence) {
    const NextFunctions &next = Next();
    return SeekMovie(fd, offset, whence, next.lseek64);
}

// --- threads: a thread's allocations can fail once its own routine runs ---

namespace {

struct ThreadStart {
    ThreadRoutine routine;
    void *argument;
    uint64_t number;
};

void *StartRoutine(void *context) {
    const ThreadStart start = *static_cast<ThreadStart *>(context);
    Next().free(context);
    t_userCode = true;
    t_thread = start.number;
    return start.routine(start.argument);
}

}  // namespace

SHIM_EXPORT int pthread_create(pthread_t *thread, const pthread_attr_t *attributes, ThreadRoutine routine,
                               void *argument) {
    const NextFunctions &next = Next();
    auto *start = static_cast<ThreadStart *>(next.malloc(sizeof(ThreadStart)));
    if (start == nullptr) return EAGAIN;
    *start = ThreadStart{routine, argument, g_threadsMade.fetch_add(1) + 1};
    const int created = next.pthread_create(thread, attributes, StartRoutine, start);
    if (created != 0) next.free(start);
    return created;
}
