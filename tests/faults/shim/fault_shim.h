// fault_shim: an LD_PRELOAD library that makes allocations and the reads of
// one file fail at seeded points, for the fault lane (scripts/fault-lane.sh).
//
// Nothing fails until the host arms the shim: it looks up these exported
// functions with dlsym(RTLD_DEFAULT, ...) and calls
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
// once:N and from:N count the calls of every thread together, so which call
// is the N-th depends on how the threads interleave; random:P draws for each
// thread on its own (threads are numbered in the order they are made), so a
// seed gives the same failures to a thread that makes the same calls.
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
//
// What follows is shared by the shim's own files.
#pragma once

#include <pthread.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <new>

#define SHIM_EXPORT extern "C" __attribute__((visibility("default")))
// __thread: no C++ initialisation wrapper to call before the variable is reached.
#define SHIM_TLS __thread __attribute__((tls_model("initial-exec")))

namespace faultshim {

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

// Looked up at the first call into the shim (next_functions.cpp).
const NextFunctions &Next();

// While Next() looks the functions up, dlsym's own allocations come from a
// static buffer, and what it frees is left alone.
extern SHIM_TLS bool t_resolving;
void *BootstrapAllocate(size_t size);
bool IsBootstrap(const void *pointer);
size_t BootstrapSize(const void *pointer);

// Set on the thread that arms the shim and on every thread from the start
// of its own routine (thread_hooks.cpp): allocations a sanitizer makes
// through the C library while it sets a new thread up (pthread_getattr_np)
// come before, and are never failed, as the sanitizer cannot take a
// failure there.
extern SHIM_TLS bool t_userCode;
// The thread's number: 0 for the threads there before, then in the order
// threads are made.
extern SHIM_TLS uint64_t t_thread;

// Whether this allocation call fails (shim_state.cpp). Calls while
// disarmed neither fail nor count.
bool AllocationFails();

// The movie's descriptors (file_hooks.cpp uses these).
bool Armed();
void CountInjected();
enum class ReadMode { kOff, kEioOnce, kEio, kEagain, kShort, kLseek };
ReadMode ConfiguredReadMode();
// Whether `path` ends in FAULT_FILE.
bool IsMovie(const char *path);
// Whether the read faults have started: armed, and FAULT_READ_AFTER bytes read.
bool ReadFaultsLive();
void CountBytesRead(uint64_t bytes);

}  // namespace faultshim
