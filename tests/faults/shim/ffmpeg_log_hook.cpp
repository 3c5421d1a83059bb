// FFmpeg's own assertions (av_assert0) log at AV_LOG_PANIC and abort. The
// stand-in keeps FFmpeg quiet, so the shim lets panics through: a run's log
// then tells an abort inside FFmpeg from one of the project's own.
#include <dlfcn.h>

#include <atomic>

#include "fault_shim.h"

namespace {

constexpr int kLogPanic = 0;  // AV_LOG_PANIC

using SetLevelFn = void (*)(int);
std::atomic<SetLevelFn> g_setLevel{nullptr};

}  // namespace

SHIM_EXPORT void av_log_set_level(int level) {
    SetLevelFn next = g_setLevel.load(std::memory_order_acquire);
    if (next == nullptr) {
        // dlsym's allocations never fail: they come from the shim's own buffer.
        faultshim::t_resolving = true;
        next = reinterpret_cast<SetLevelFn>(dlsym(RTLD_NEXT, "av_log_set_level"));
        faultshim::t_resolving = false;
        if (next == nullptr) return;
        g_setLevel.store(next, std::memory_order_release);
    }
    next(level < kLogPanic ? kLogPanic : level);
}
