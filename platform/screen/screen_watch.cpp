// StandinWatchScreen: one host callback after each change of the screen.
#include "screen/screen_watch.h"

#include <condition_variable>
#include <mutex>

#include <standin/standin.h>

namespace {

struct Watch {
    std::mutex mutex;
    std::condition_variable idle;
    StandinScreenWatcher watcher = nullptr;
    void *context = nullptr;
    int calls = 0;  // watcher calls under way, on any thread
};

Watch &TheWatch() {
    static Watch watch;
    return watch;
}

// Set while this thread runs the watcher: its own blits do not call it
// again, and it may replace itself without waiting for itself.
thread_local bool insideWatcher = false;

}  // namespace

extern "C" void StandinWatchScreen(StandinScreenWatcher watcher, void *context) {
    Watch &watch = TheWatch();
    std::unique_lock<std::mutex> hold(watch.mutex);
    watch.watcher = watcher;
    watch.context = context;
    // Once this returns, no other thread is still inside the old watcher,
    // so its context may go.
    if (!insideWatcher) watch.idle.wait(hold, [&watch] { return watch.calls == 0; });
}

namespace standin {

void NotifyScreenChanged() {
    if (insideWatcher) return;
    Watch &watch = TheWatch();
    StandinScreenWatcher watcher;
    void *context;
    {
        std::lock_guard<std::mutex> hold(watch.mutex);
        if (watch.watcher == nullptr) return;
        watcher = watch.watcher;
        context = watch.context;
        ++watch.calls;
    }
    insideWatcher = true;
    try {
        watcher(context);
    } catch (...) {
        // A host's exception must not leave through its Blt.
    }
    insideWatcher = false;
    std::lock_guard<std::mutex> hold(watch.mutex);
    if (--watch.calls == 0) watch.idle.notify_all();
}

}  // namespace standin
