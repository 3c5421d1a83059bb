// The movie's descriptors: opens of its path are tracked until closed, and
// their reads and seeks fail as FAULT_READ says once the faults are live.
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>

#include <atomic>

#include "fault_shim.h"

using faultshim::Next;
using faultshim::NextFunctions;
using faultshim::ReadMode;

namespace {

constexpr int kMaxTrackedFd = 4096;
std::atomic<bool> g_tracked[kMaxTrackedFd];
std::atomic<uint64_t> g_faultingReads{0};  // reads met while the faults were live
std::atomic<bool> g_eioSpent{false};

int Track(int fd, const char *path) {
    if (fd >= 0 && fd < kMaxTrackedFd) g_tracked[fd].store(faultshim::IsMovie(path), std::memory_order_relaxed);
    return fd;
}

bool Tracked(int fd) { return fd >= 0 && fd < kMaxTrackedFd && g_tracked[fd].load(std::memory_order_relaxed); }

bool HasMode(int flags) { return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE; }

// Whether a read of the movie fails (errno set); a short read only cuts
// *size down.
bool ReadFails(size_t *size) {
    if (!faultshim::ReadFaultsLive()) return false;
    const uint64_t number = g_faultingReads.fetch_add(1, std::memory_order_relaxed);
    switch (faultshim::ConfiguredReadMode()) {
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
                faultshim::CountInjected();
                *size = 1;
            }
            return false;
        case ReadMode::kLseek:
        case ReadMode::kOff: return false;
    }
    faultshim::CountInjected();
    return true;
}

off_t SeekMovie(int fd, off_t offset, int whence, faultshim::LseekFn next) {
    if (Tracked(fd) && faultshim::ConfiguredReadMode() == ReadMode::kLseek && faultshim::ReadFaultsLive()) {
        faultshim::CountInjected();
        errno = EIO;
        return -1;
    }
    return next(fd, offset, whence);
}

}  // namespace

// The mode argument of open and openat, there when the flags create a file.
#define OPEN_MODE(last)              \
    mode_t mode = 0;                 \
    if (HasMode(flags)) {            \
        va_list args;                \
        va_start(args, last);        \
        mode = va_arg(args, mode_t); \
        va_end(args);                \
    }

SHIM_EXPORT int open(const char *path, int flags, ...) {
    OPEN_MODE(flags);
    return Track(Next().open(path, flags, mode), path);
}

SHIM_EXPORT int open64(const char *path, int flags, ...) {
    OPEN_MODE(flags);
    return Track(Next().open64(path, flags, mode), path);
}

SHIM_EXPORT int openat(int dir, const char *path, int flags, ...) {
    OPEN_MODE(flags);
    return Track(Next().openat(dir, path, flags, mode), path);
}

SHIM_EXPORT int openat64(int dir, const char *path, int flags, ...) {
    OPEN_MODE(flags);
    return Track(Next().openat64(dir, path, flags, mode), path);
}

SHIM_EXPORT int close(int fd) {
    const NextFunctions &next = Next();
    if (fd >= 0 && fd < kMaxTrackedFd) g_tracked[fd].store(false, std::memory_order_relaxed);
    return next.close(fd);
}

SHIM_EXPORT ssize_t read(int fd, void *buffer, size_t size) {
    const NextFunctions &next = Next();
    if (!Tracked(fd)) return next.read(fd, buffer, size);
    if (ReadFails(&size)) return -1;
    const ssize_t got = next.read(fd, buffer, size);
    if (got > 0) faultshim::CountBytesRead(static_cast<uint64_t>(got));
    return got;
}

SHIM_EXPORT off_t lseek(int fd, off_t offset, int whence) { return SeekMovie(fd, offset, whence, Next().lseek); }

SHIM_EXPORT off_t lseek64(int fd, off_t offset, int whence) { return SeekMovie(fd, offset, whence, Next().lseek64); }
