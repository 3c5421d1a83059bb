#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>
#include <windows.h>

namespace {

HWND MakeWindow(HWND owner = nullptr) {
    return CreateWindowExA(0, "test", "life", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, owner, nullptr, nullptr,
                           nullptr);
}

TEST(WindowLifecycle, DestroyedWindowIsGoneForEveryCall) {
    HWND window = MakeWindow();
    ASSERT_TRUE(IsWindow(window));
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(IsWindow(window));

    RECT r{};
    POINT p{};
    SetLastError(0);
    EXPECT_FALSE(GetClientRect(window, &r));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    EXPECT_FALSE(GetWindowRect(window, &r));
    EXPECT_FALSE(ClientToScreen(window, &p));
    EXPECT_FALSE(ScreenToClient(window, &p));
    EXPECT_FALSE(MoveWindow(window, 0, 0, 1, 1, FALSE));
    EXPECT_FALSE(SetWindowPos(window, nullptr, 0, 0, 1, 1, 0));
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_FALSE(DestroyWindow(window));
}

TEST(WindowLifecycle, ForeignHandlesAreNotWindows) {
    int local = 0;
    HPALETTE palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    RECT r{};
    for (HWND bad : {HWND(nullptr), reinterpret_cast<HWND>(&local), reinterpret_cast<HWND>(palette)}) {
        EXPECT_FALSE(IsWindow(bad));
        SetLastError(0);
        EXPECT_FALSE(GetClientRect(bad, &r));
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    }
}

TEST(WindowLifecycle, NullOutputPointersAreRefused) {
    HWND window = MakeWindow();
    EXPECT_FALSE(GetClientRect(window, nullptr));
    EXPECT_FALSE(GetWindowRect(window, nullptr));
    EXPECT_FALSE(ClientToScreen(window, nullptr));
    EXPECT_FALSE(ScreenToClient(window, nullptr));
    DestroyWindow(window);
}

TEST(WindowLifecycle, DesktopCanBeNeitherDestroyedNorMoved) {
    HWND desktop = GetDesktopWindow();
    EXPECT_EQ(GetDesktopWindow(), desktop);
    SetLastError(0);
    EXPECT_FALSE(DestroyWindow(desktop));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
    EXPECT_FALSE(MoveWindow(desktop, 10, 10, 10, 10, TRUE));
    EXPECT_TRUE(IsWindow(desktop));
    RECT r;
    ASSERT_TRUE(GetClientRect(desktop, &r));
    EXPECT_EQ(r.right, 800);
}

TEST(WindowLifecycle, OwnedWindowsGoWithTheirOwner) {
    HWND owner = MakeWindow();
    HWND owned = MakeWindow(owner);
    HWND unrelated = MakeWindow();
    ASSERT_NE(owned, nullptr);
    ASSERT_TRUE(DestroyWindow(owner));
    EXPECT_FALSE(IsWindow(owned));
    EXPECT_TRUE(IsWindow(unrelated));
    EXPECT_EQ(MakeWindow(owner), nullptr);  // the owner is gone
    DestroyWindow(unrelated);
}

TEST(WindowLifecycle, ChildWindowsAreRefused) {
    HWND parent = MakeWindow();
    EXPECT_EQ(CreateWindowExA(0, "test", "child", WS_CHILD, 0, 0, 10, 10, parent, nullptr, nullptr, nullptr),
              nullptr);
    DestroyWindow(parent);
}

TEST(WindowLifecycle, ShowWindowReportsThePreviousVisibility) {
    HWND window = MakeWindow();
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(ShowWindow(window, SW_HIDE));
    EXPECT_FALSE(ShowWindow(window, SW_SHOWNORMAL));
    EXPECT_TRUE(SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_HIDEWINDOW));
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    DestroyWindow(window);
}

TEST(WindowLifecycle, ConcurrentWindowsKeepTheirOwnGeometry) {
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 300; ++i) {
                HWND w = CreateWindowExA(0, "t", "t", WS_POPUP, t * 100, i, 50, 50, nullptr, nullptr, nullptr,
                                         nullptr);
                POINT p{0, 0};
                if (!w || !MoveWindow(w, t * 100 + 1, i, 50, 50, FALSE) || !ClientToScreen(w, &p)) ++failures;
                if (p.x != t * 100 + 1 || p.y != i) ++failures;
                if (!DestroyWindow(w)) ++failures;
            }
        });
    }
    for (auto &thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
