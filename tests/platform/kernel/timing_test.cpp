#include <chrono>

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// Only lower bounds: a loaded machine may sleep longer, never shorter.
TEST(KernelTiming, SleepWaitsAtLeastTheRequestedTime) {
    const auto start = std::chrono::steady_clock::now();
    Sleep(30);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

TEST(KernelTiming, TickCountFollowsRealTime) {
    const DWORD before = GetTickCount();
    Sleep(40);
    const DWORD elapsed = GetTickCount() - before;  // wrap-safe
    EXPECT_GE(elapsed, 40u);
    EXPECT_LT(elapsed, 600000u);  // milliseconds, not micro- or nanoseconds
}

}  // namespace
