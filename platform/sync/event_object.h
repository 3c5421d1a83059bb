// A kernel event: signalled or not, reset by hand or by the one wait it
// lets through. Shared by its handles and the waits under way, so closing
// the last handle while a thread waits leaves that wait a live object.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include <windows.h>

namespace standin::sync {

class EventObject {
public:
    EventObject(bool manualReset, bool signalled) : manualReset_(manualReset), signalled_(signalled) {}

    void Set() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            signalled_ = true;
        }
        // An auto-reset event lets one waiter through; the others wait on.
        if (manualReset_)
            changed_.notify_all();
        else
            changed_.notify_one();
    }

    void Reset() {
        std::lock_guard<std::mutex> lock(mutex_);
        signalled_ = false;
    }

    // True once signalled (an auto-reset event is reset by it), false
    // after `milliseconds` (INFINITE: never).
    bool Wait(DWORD milliseconds) {
        std::unique_lock<std::mutex> lock(mutex_);
        auto signalled = [&] { return signalled_; };
        if (milliseconds == INFINITE)
            changed_.wait(lock, signalled);
        else if (!changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), signalled))
            return false;
        if (!manualReset_) signalled_ = false;
        return true;
    }

private:
    const bool manualReset_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_;
};

}  // namespace standin::sync
