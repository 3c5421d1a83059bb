// Runs on an 800x600 screen.
#include <gtest/gtest.h>
#include <windows.h>

namespace {

HWND MakeWindow(DWORD style, int x, int y, int width, int height) {
    return CreateWindowExA(0, "test", "geometry", style, x, y, width, height, nullptr, nullptr, nullptr, nullptr);
}

RECT ClientRect(HWND window) {
    RECT r{-1, -1, -1, -1};
    EXPECT_TRUE(GetClientRect(window, &r));
    return r;
}

POINT ClientOrigin(HWND window) {
    POINT p{0, 0};
    EXPECT_TRUE(ClientToScreen(window, &p));
    return p;
}

void ExpectRect(const RECT &r, LONG left, LONG top, LONG right, LONG bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

TEST(WindowGeometry, DesktopCoversTheScreen) {
    ExpectRect(ClientRect(GetDesktopWindow()), 0, 0, 800, 600);
    RECT window;
    ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &window));
    ExpectRect(window, 0, 0, 800, 600);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
    const POINT origin = ClientOrigin(GetDesktopWindow());
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
}

TEST(WindowGeometry, CaptionedWindowHasAFrameAroundItsClientArea) {
    const int frameX = GetSystemMetrics(SM_CXFRAME);
    const int frameY = GetSystemMetrics(SM_CYFRAME);
    const int caption = GetSystemMetrics(SM_CYCAPTION);
    ASSERT_GT(frameX, 0);
    ASSERT_GT(frameY, 0);
    ASSERT_GT(caption, 0);

    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 100, 50, 300, 200);
    ASSERT_NE(window, nullptr);
    RECT outer;
    ASSERT_TRUE(GetWindowRect(window, &outer));
    ExpectRect(outer, 100, 50, 400, 250);
    ExpectRect(ClientRect(window), 0, 0, 300 - 2 * frameX, 200 - 2 * frameY - caption);
    const POINT origin = ClientOrigin(window);
    EXPECT_EQ(origin.x, 100 + frameX);
    EXPECT_EQ(origin.y, 50 + frameY + caption);
    DestroyWindow(window);
}

TEST(WindowGeometry, OverlappedWindowGetsACaptionEvenWithoutAskingForOne) {
    HWND window = MakeWindow(WS_OVERLAPPED, 0, 0, 200, 200);
    EXPECT_EQ(ClientOrigin(window).y, GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION));
    DestroyWindow(window);
}

TEST(WindowGeometry, BorderlessPopupClientIsTheWindow) {
    HWND window = MakeWindow(WS_POPUP | WS_VISIBLE, 30, 40, 320, 240);
    ASSERT_NE(window, nullptr);
    ExpectRect(ClientRect(window), 0, 0, 320, 240);
    const POINT origin = ClientOrigin(window);
    EXPECT_EQ(origin.x, 30);
    EXPECT_EQ(origin.y, 40);
    DestroyWindow(window);
}

TEST(WindowGeometry, ThinBorderedPopupLosesOnePixelPerSide) {
    HWND window = MakeWindow(WS_POPUP | WS_BORDER, 30, 40, 320, 240);
    const int border = GetSystemMetrics(SM_CXBORDER);
    ExpectRect(ClientRect(window), 0, 0, 320 - 2 * border, 240 - 2 * border);
    EXPECT_EQ(ClientOrigin(window).x, 30 + border);
    DestroyWindow(window);
}

TEST(WindowGeometry, ClientAreaFollowsMoveWindow) {
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 100, 50, 300, 200);
    const POINT before = ClientOrigin(window);
    const RECT clientBefore = ClientRect(window);
    ASSERT_TRUE(MoveWindow(window, 150, 90, 400, 300, TRUE));
    const POINT after = ClientOrigin(window);
    EXPECT_EQ(after.x - before.x, 50);
    EXPECT_EQ(after.y - before.y, 40);
    EXPECT_EQ(ClientRect(window).right - clientBefore.right, 100);
    EXPECT_EQ(ClientRect(window).bottom - clientBefore.bottom, 100);
    DestroyWindow(window);
}

TEST(WindowGeometry, SetWindowPosHonoursNoMoveAndNoSize) {
    HWND window = MakeWindow(WS_POPUP, 10, 20, 100, 80);
    RECT r;
    ASSERT_TRUE(SetWindowPos(window, HWND_TOP, 500, 500, 60, 40, SWP_NOMOVE));
    ASSERT_TRUE(GetWindowRect(window, &r));
    ExpectRect(r, 10, 20, 70, 60);
    ASSERT_TRUE(SetWindowPos(window, HWND_TOP, 200, 100, 999, 999, SWP_NOSIZE | SWP_NOZORDER));
    ASSERT_TRUE(GetWindowRect(window, &r));
    ExpectRect(r, 200, 100, 260, 140);
    const POINT origin = ClientOrigin(window);
    EXPECT_EQ(origin.x, 200);
    EXPECT_EQ(origin.y, 100);
    DestroyWindow(window);
}

TEST(WindowGeometry, ScreenToClientUndoesClientToScreen) {
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 70, 60, 300, 200);
    POINT p{12, 34};
    ASSERT_TRUE(ClientToScreen(window, &p));
    EXPECT_NE(p.x, 12);
    ASSERT_TRUE(ScreenToClient(window, &p));
    EXPECT_EQ(p.x, 12);
    EXPECT_EQ(p.y, 34);
    DestroyWindow(window);
}

// How a presenter finds a window's client area on the screen.
TEST(WindowGeometry, OffsetClientRectGivesTheClientAreaOnScreen) {
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 100, 50, 300, 200);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    RECT area;
    GetClientRect(window, &area);
    ASSERT_TRUE(OffsetRect(&area, origin.x, origin.y));
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ(area.left, outer.left + GetSystemMetrics(SM_CXFRAME));
    EXPECT_EQ(area.right, outer.right - GetSystemMetrics(SM_CXFRAME));
    EXPECT_EQ(area.bottom, outer.bottom - GetSystemMetrics(SM_CYFRAME));
    DestroyWindow(window);
}

TEST(WindowGeometry, WindowSmallerThanItsFrameHasAnEmptyClientArea) {
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, 0, 0, 5, 5);
    ExpectRect(ClientRect(window), 0, 0, 0, 0);
    HWND negative = MakeWindow(WS_POPUP, 0, 0, -10, -10);
    ExpectRect(ClientRect(negative), 0, 0, 0, 0);
    DestroyWindow(window);
    DestroyWindow(negative);
}

TEST(WindowGeometry, DefaultPlacementLiesOnTheScreen) {
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0);
    RECT r;
    ASSERT_TRUE(GetWindowRect(window, &r));
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, 800);
    EXPECT_LE(r.bottom, 600);
    EXPECT_GT(ClientRect(window).right, 0);
    EXPECT_GT(ClientRect(window).bottom, 0);
    DestroyWindow(window);
}

}  // namespace
