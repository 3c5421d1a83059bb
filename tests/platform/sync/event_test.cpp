// Events as Windows documents them: who a set lets through, what resets
// them, a wait woken from another thread, and handles that are not (or no
// longer) events.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

struct EventCase {
    const char *name;
    BOOL manualReset;
    BOOL initialState;
    DWORD firstWait, secondWait;  // two waits of 0 ms in a row
    DWORD afterSetAndReset;       // a wait after SetEvent then ResetEvent
};

class EventTest : public testing::TestWithParam<EventCase> {};

TEST_P(EventTest, SetResetAndWait) {
    const EventCase &c = GetParam();
    HANDLE event = CreateEventW(nullptr, c.manualReset, c.initialState, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), c.firstWait);
    EXPECT_EQ(WaitForSingleObject(event, 0), c.secondWait);
    EXPECT_TRUE(SetEvent(event));
    EXPECT_TRUE(ResetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), c.afterSetAndReset);
    EXPECT_EQ(WaitForSingleObject(event, 10), static_cast<DWORD>(WAIT_TIMEOUT)) << "a wait that times out";

    // Set from another thread while this one waits without a limit.
    std::thread setter([event] {
        Sleep(20);
        SetEvent(event);
    });
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    setter.join();
    EXPECT_EQ(WaitForSingleObject(event, 0), c.manualReset ? WAIT_OBJECT_0 : static_cast<DWORD>(WAIT_TIMEOUT))
        << "an auto-reset event lets one wait through";
    EXPECT_TRUE(CloseHandle(event));
}

constexpr DWORD kSet = WAIT_OBJECT_0, kUnset = WAIT_TIMEOUT;

INSTANTIATE_TEST_SUITE_P(Kinds, EventTest,
                         testing::Values(EventCase{"ManualSet", TRUE, TRUE, kSet, kSet, kUnset},
                                         EventCase{"ManualUnset", TRUE, FALSE, kUnset, kUnset, kUnset},
                                         EventCase{"AutoSet", FALSE, TRUE, kSet, kUnset, kUnset},
                                         EventCase{"AutoUnset", FALSE, FALSE, kUnset, kUnset, kUnset}),
                         [](const testing::TestParamInfo<EventCase> &info) { return std::string(info.param.name); });

TEST(EventHandles, ClosedAndForeignHandlesFailWithInvalidHandle) {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    ASSERT_TRUE(CloseHandle(event));
    for (HANDLE bad : {event, static_cast<HANDLE>(nullptr), static_cast<HANDLE>(GetDesktopWindow())}) {
        SetLastError(0);
        EXPECT_FALSE(SetEvent(bad));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(ResetEvent(bad));
        EXPECT_EQ(WaitForSingleObject(bad, 0), WAIT_FAILED);
        EXPECT_FALSE(CloseHandle(bad));
    }
    EXPECT_EQ(CreateEventA(nullptr, TRUE, FALSE, "named"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

}  // namespace
