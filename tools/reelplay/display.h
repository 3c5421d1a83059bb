// The host's side of DirectDraw: the DirectDraw object, the primary surface
// on the screen, and a window there.
#pragma once

#include <windows.h>
#include <ddraw.h>

namespace reelplay {

class Display {
public:
    // Opens DirectDraw and its primary surface; ok() tells whether it worked.
    Display();
    ~Display();
    Display(const Display &) = delete;
    Display &operator=(const Display &) = delete;

    bool ok() const { return primary_ != nullptr; }
    IDirectDraw *directDraw() const { return directDraw_; }
    IDirectDrawSurface *primary() const { return primary_; }
    bool palettized() const { return bitsPerPixel_ == 8; }
    // How often the screen is refreshed, and so how often the host ticks.
    DWORD refreshRate() const { return refreshRate_; }

    // A captioned window, to be sized by centreWindow.
    HWND makeWindow(const char *title) const;
    // Gives the window a client area of `clientWidth` by `clientHeight`,
    // centred on the screen.
    void centreWindow(HWND window, int clientWidth, int clientHeight) const;
    // Twice the frame size when the screen has room for it, else the frame
    // size: the client size a window for this frame should get.
    int scaleFor(int frameWidth, int frameHeight) const;

private:
    IDirectDraw *directDraw_ = nullptr;
    IDirectDrawSurface *primary_ = nullptr;
    DWORD width_ = 0, height_ = 0, bitsPerPixel_ = 0, refreshRate_ = 60;
};

}  // namespace reelplay
