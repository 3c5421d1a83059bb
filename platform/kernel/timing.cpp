// Sleep and GetTickCount on the host's monotonic clock.
#include <chrono>
#include <thread>

#include <windows.h>

extern "C" {

void WINAPI Sleep(DWORD dwMilliseconds) {
    if (dwMilliseconds == 0) {
        std::this_thread::yield();  // gives up the rest of the time slice
        return;
    }
    if (dwMilliseconds == INFINITE) {
        for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

DWORD WINAPI GetTickCount(void) {
    // steady_clock counts from boot on Linux; the count wraps after 49.7
    // days, as on Windows.
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

}  // extern "C"
