#include <thread>

#include <gtest/gtest.h>
#include <standin/standin.h>
#include <windows.h>

#include "counted_objects.h"

namespace {

class ComApartment : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(StandinComInitCount(), 0u); }
    void TearDown() override { comtest::UninitializeFully(); }
};

TEST_F(ComApartment, FirstCallSucceedsAndLaterOnesCount) {
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(StandinComInitCount(), 3u);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(StandinComInitCount(), 1u);
    CoUninitialize();
    EXPECT_EQ(StandinComInitCount(), 0u);
}

TEST_F(ComApartment, OtherModelIsRefusedWithoutCounting) {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    EXPECT_EQ(StandinComInitCount(), 1u);
    CoUninitialize();

    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), RPC_E_CHANGED_MODE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    EXPECT_EQ(StandinComInitCount(), 2u);
}

TEST_F(ComApartment, OptionFlagsDoNotChangeTheModel) {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_SPEED_OVER_MEMORY), RPC_E_CHANGED_MODE);
    EXPECT_EQ(StandinComInitCount(), 2u);
}

TEST_F(ComApartment, BadArgumentsAreRefusedWithoutCounting) {
    int reserved = 0;
    EXPECT_EQ(CoInitializeEx(&reserved, COINIT_APARTMENTTHREADED), E_INVALIDARG);
    EXPECT_EQ(CoInitializeEx(nullptr, 0x100), E_INVALIDARG);
    EXPECT_EQ(StandinComInitCount(), 0u);
}

TEST_F(ComApartment, ExtraUninitializeDoesNothing) {
    CoUninitialize();
    EXPECT_EQ(StandinComInitCount(), 0u);
    EXPECT_EQ(CoInitialize(nullptr), S_OK);  // not thrown off by the extra call
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(StandinComInitCount(), 0u);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);  // the old model is forgotten
}

TEST_F(ComApartment, EachThreadHasItsOwnCountAndModel) {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ASSERT_EQ(CoInitialize(nullptr), S_FALSE);

    ULONG startCount = 99, countAfter = 99;
    HRESULT first = E_FAIL, second = E_FAIL;
    std::thread other([&] {
        startCount = StandinComInitCount();
        first = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        second = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        countAfter = StandinComInitCount();
        comtest::UninitializeFully();
    });
    other.join();

    EXPECT_EQ(startCount, 0u);
    EXPECT_EQ(first, S_OK);
    EXPECT_EQ(second, S_FALSE);
    EXPECT_EQ(countAfter, 2u);
    EXPECT_EQ(StandinComInitCount(), 2u);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);  // still apartment-threaded here
}

}  // namespace
