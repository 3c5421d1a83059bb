// What a host sets up before it opens movies: a DirectDraw object at normal
// cooperation with the desktop and the primary surface, plus windows to
// present into.
#pragma once

#include <windows.h>
#include <ddraw.h>

class DesktopHost {
public:
    DesktopHost();
    ~DesktopHost();
    DesktopHost(const DesktopHost &) = delete;
    DesktopHost &operator=(const DesktopHost &) = delete;

    // False when DirectDraw or the primary surface could not be made.
    bool ready() const { return directDraw_ != nullptr && primary_ != nullptr; }
    IDirectDraw *directDraw() const { return directDraw_; }
    IDirectDrawSurface *primary() const { return primary_; }

    // Paints a rectangle of the screen in one colour, so that a test sees
    // what a later present wrote there.
    void fill(const RECT &rect, DWORD colour);

private:
    IDirectDraw *directDraw_ = nullptr;
    IDirectDrawSurface *primary_ = nullptr;
};

// A visible borderless window, so its client area is its screen rectangle.
class HostWindow {
public:
    HostWindow(int left, int top, int width, int height);
    ~HostWindow();
    HostWindow(const HostWindow &) = delete;
    HostWindow &operator=(const HostWindow &) = delete;

    HWND hwnd() const { return hwnd_; }
    void moveTo(int left, int top);
    // The client area in screen coordinates.
    RECT screenRect() const;

private:
    void pumpMessages();

    HWND hwnd_ = nullptr;
};

// The number of references an object holds.
ULONG ReferencesOf(IUnknown *object);
