// Threads: a thread's allocations can fail once its own routine runs, not
// while the sanitizer sets it up; and each thread gets its number.
#include <errno.h>

#include <atomic>

#include "fault_shim.h"

namespace {

std::atomic<uint64_t> g_threadsMade{0};

struct ThreadStart {
    faultshim::ThreadRoutine routine;
    void *argument;
    uint64_t number;
};

void *StartRoutine(void *context) {
    const ThreadStart start = *static_cast<ThreadStart *>(context);
    faultshim::Next().free(context);
    faultshim::t_userCode = true;
    faultshim::t_thread = start.number;
    return start.routine(start.argument);
}

}  // namespace

SHIM_EXPORT int pthread_create(pthread_t *thread, const pthread_attr_t *attributes, faultshim::ThreadRoutine routine,
                               void *argument) {
    const faultshim::NextFunctions &next = faultshim::Next();
    // The shim's own block never fails: it goes to the next allocator directly.
    auto *start = static_cast<ThreadStart *>(next.malloc(sizeof(ThreadStart)));
    if (start == nullptr) return EAGAIN;
    *start = ThreadStart{routine, argument, g_threadsMade.fetch_add(1) + 1};
    const int created = next.pthread_create(thread, attributes, StartRoutine, start);
    if (created != 0) next.free(start);
    return created;
}
