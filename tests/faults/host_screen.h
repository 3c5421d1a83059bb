// What a host owns and lends the library: the DirectDraw object, the primary
// surface, and a window smaller than the screen.
#pragma once

#include <ddraw.h>
#include <windows.h>

#include <string>

namespace faulthost {

class HostScreen {
public:
    HostScreen() = default;
    ~HostScreen();
    HostScreen(const HostScreen &) = delete;
    HostScreen &operator=(const HostScreen &) = delete;

    // False, with *error set, when the screen cannot be had.
    bool Open(std::string *error);
    IDirectDraw *directDraw() const { return directDraw_; }
    IDirectDrawSurface *primary() const { return primary_; }
    // A 200x150 window inside the 320x240 screen: frames of the screen's
    // size are shrunk into it.
    HWND window() const { return window_; }

private:
    IDirectDraw *directDraw_ = nullptr;
    IDirectDrawSurface *primary_ = nullptr;
    HWND window_ = nullptr;
};

}  // namespace faulthost
