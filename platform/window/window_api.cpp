// Top-level windows: creation, destruction, placement and coordinates.
// Invalid windows fail with ERROR_INVALID_HANDLE; the desktop window can be
// neither moved nor destroyed (ERROR_ACCESS_DENIED).
#include <mutex>
#include <vector>
#include <windows.h>

#include "common/exception_guard.h"
#include "screen/screen_mode.h"
#include "window/window_frame.h"
#include "window/window_geometry.h"
#include "window/window_table.h"

using standin::FromHandleValue;
using standin::HandleValue;
using standin::WindowRecord;
using standin::Windows;
using standin::WindowTable;

namespace {

WindowRecord *FindWindowRecord(WindowTable &table, HWND hWnd) {
    WindowRecord *window = table.windows.Find(HandleValue(hWnd));
    if (!window) SetLastError(ERROR_INVALID_HANDLE);
    return window;
}

// A window the host may move or destroy: not the desktop.
WindowRecord *FindMovableWindowRecord(WindowTable &table, HWND hWnd) {
    WindowRecord *window = FindWindowRecord(table, hWnd);
    if (window && window->desktop) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return window;
}

// Looks the window up under the table's lock and lets `read` answer into
// the caller's output; FALSE, with the last error set, when either is bad.
template <class Out, class Read>
BOOL ReadWindow(HWND hWnd, Out *out, Read read) {
    WindowTable &table = Windows();
    std::lock_guard<std::mutex> lock(table.mutex);
    const WindowRecord *window = FindWindowRecord(table, hWnd);
    if (!window) return FALSE;
    if (!out) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    read(*window, out);
    return TRUE;
}

void DestroyWithOwned(WindowTable &table, uintptr_t handle) {
    std::vector<uintptr_t> owned;
    table.windows.ForEach([&](uintptr_t h, WindowRecord &w) {
        if (w.owner == handle) owned.push_back(h);
    });
    table.windows.Remove(handle);
    for (uintptr_t h : owned) DestroyWithOwned(table, h);
}

void SetVisible(WindowRecord &window, bool visible) {
    window.style = visible ? (window.style | WS_VISIBLE) : (window.style & ~DWORD{WS_VISIBLE});
}

}  // namespace

extern "C" {

// Any class name is accepted. CW_USEDEFAULT as X places the window an
// eighth of the screen in from its top-left corner (Y is then ignored); as
// the width it gives three quarters of the screen (the height is then
// ignored). Child windows are not supported.
HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR, LPCSTR, DWORD dwStyle, int X, int Y, int nWidth,
                            int nHeight, HWND hWndParent, HMENU, HINSTANCE, LPVOID) {
    return standin::GuardApi<HWND>(nullptr, [&]() -> HWND {
        if (dwStyle & WS_CHILD) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        const standin::ScreenMode &mode = standin::CurrentScreenMode();
        int64_t x = X, y = Y, width = nWidth, height = nHeight;
        if (X == CW_USEDEFAULT) {
            x = mode.width / 8;
            y = mode.height / 8;
        }
        if (nWidth == CW_USEDEFAULT) {
            width = mode.width * 3 / 4;
            height = mode.height * 3 / 4;
        }
        WindowRecord window;
        window.style = standin::TopLevelStyle(dwStyle);
        window.exStyle = dwExStyle;
        window.rect = standin::WindowRectFrom(x, y, width, height);
        window.owner = HandleValue(hWndParent);

        WindowTable &table = Windows();
        std::lock_guard<std::mutex> lock(table.mutex);
        if (hWndParent && !FindWindowRecord(table, hWndParent)) return nullptr;
        const uintptr_t handle = table.windows.Add(window);
        if (!handle) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FromHandleValue<HWND>(handle);
    });
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    return standin::GuardApi<BOOL>(FALSE, [&]() -> BOOL {
        WindowTable &table = Windows();
        std::lock_guard<std::mutex> lock(table.mutex);
        if (!FindMovableWindowRecord(table, hWnd)) return FALSE;
        DestroyWithOwned(table, HandleValue(hWnd));
        return TRUE;
    });
}

BOOL WINAPI IsWindow(HWND hWnd) {
    return standin::GuardApi<BOOL>(FALSE, [&]() -> BOOL {
        WindowTable &table = Windows();
        std::lock_guard<std::mutex> lock(table.mutex);
        return table.windows.Find(HandleValue(hWnd)) != nullptr;
    });
}

// Returns whether the window was visible before.
BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    return standin::GuardApi<BOOL>(FALSE, [&]() -> BOOL {
        WindowTable &table = Windows();
        std::lock_guard<std::mutex> lock(table.mutex);
        WindowRecord *window = FindMovableWindowRecord(table, hWnd);
        if (!window) return FALSE;
        const bool wasVisible = (window->style & WS_VISIBLE) != 0;
        SetVisible(*window, nCmdShow != SW_HIDE);
        return wasVisible;
    });
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL) {
    return standin::GuardApi<BOOL>(FALSE, [&]() -> BOOL {
        WindowTable &table = Windows();
        std::lock_guard<std::mutex> lock(table.mutex);
        WindowRecord *window = FindMovableWindowRecord(table, hWnd);
        if (!window) return FALSE;
        window->rect = standin::WindowRectFrom(X, Y, nWidth, nHeight);
        return TRUE;
    });
}

// There is no z-order: hWndInsertAfter is ignored.
BOOL WINAPI SetWindowPos(HWND hWnd, HWND, int X, int Y, int cx, int cy, UINT uFlags) {
    return standin::GuardApi<BOOL>(FALSE, [&]() -> BOOL {
        WindowTable &table = Windows();
        std::lock_guard<std::mutex> lock(table.mutex);
        WindowRecord *window = FindMovableWindowRecord(table, hWnd);
        if (!window) return FALSE;
        const RECT &old = window->rect;
        const int64_t x = (uFlags & SWP_NOMOVE) ? old.left : X;
        const int64_t y = (uFlags & SWP_NOMOVE) ? old.top : Y;
        const int64_t width = (uFlags & SWP_NOSIZE) ? old.right - old.left : cx;
        const int64_t height = (uFlags & SWP_NOSIZE) ? old.bottom - old.top : cy;
        window->rect = standin::WindowRectFrom(x, y, width, height);
        if (uFlags & SWP_SHOWWINDOW) SetVisible(*window, true);
        if (uFlags & SWP_HIDEWINDOW) SetVisible(*window, false);
        return TRUE;
    });
}

HWND WINAPI GetDesktopWindow(void) {
    return standin::GuardApi<HWND>(nullptr, [] { return FromHandleValue<HWND>(Windows().desktop); });
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    return standin::GuardApi<BOOL>(FALSE, [&]() -> BOOL {
        return ReadWindow(hWnd, lpRect, [](const WindowRecord &window, RECT *rect) { *rect = window.rect; });
    });
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    return standin::GuardApi<BOOL>(FALSE, [&]() -> BOOL {
        return ReadWindow(hWnd, lpRect, [](const WindowRecord &window, RECT *rect) {
            const RECT client = standin::ClientRectOnScreen(window);
            *rect = RECT{0, 0, client.right - client.left, client.bottom - client.top};
        });
    });
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
    return standin::GuardApi<BOOL>(FALSE, [&]() -> BOOL {
        return ReadWindow(hWnd, lpPoint, [](const WindowRecord &window, POINT *point) {
            const RECT client = standin::ClientRectOnScreen(window);
            point->x = standin::ClampCoordinate(int64_t{point->x} + client.left);
            point->y = standin::ClampCoordinate(int64_t{point->y} + client.top);
        });
    });
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    return standin::GuardApi<BOOL>(FALSE, [&]() -> BOOL {
        return ReadWindow(hWnd, lpPoint, [](const WindowRecord &window, POINT *point) {
            const RECT client = standin::ClientRectOnScreen(window);
            point->x = standin::ClampCoordinate(int64_t{point->x} - client.left);
            point->y = standin::ClampCoordinate(int64_t{point->y} - client.top);
        });
    });
}

}  // extern "C"
