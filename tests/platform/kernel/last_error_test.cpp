#include <thread>

#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(KernelLastError, IsKeptPerThread) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    DWORD seenByOther = 1, otherAfterSet = 0;
    std::thread other([&] {
        seenByOther = GetLastError();
        SetLastError(ERROR_INVALID_HANDLE);
        otherAfterSet = GetLastError();
    });
    other.join();
    EXPECT_EQ(seenByOther, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(otherAfterSet, static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
