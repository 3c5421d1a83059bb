// The screen as a host sees it: a DirectDraw object at normal cooperation
// and, on request, the primary surface; surfaces in the screen's format.
#pragma once

#include <windows.h>
#include <ddraw.h>

class Screen {
public:
    explicit Screen(bool withPrimary = false);
    ~Screen();
    Screen(const Screen &) = delete;
    Screen &operator=(const Screen &) = delete;

    // False if DirectDraw or the primary surface could not be made.
    bool ok() const { return directDraw_ && (!withPrimary_ || primary_); }
    IDirectDraw *directDraw() const { return directDraw_; }
    IDirectDrawSurface *primary() const { return primary_; }
    // Bits per pixel of the screen, or 0.
    int bitsPerPixel() const { return bits_; }

    // A system-memory offscreen surface in the screen's format, filled with
    // a byte pattern; null on failure. The caller releases it.
    IDirectDrawSurface *MakeOffscreen(int width, int height) const;

private:
    bool withPrimary_;
    IDirectDraw *directDraw_ = nullptr;
    IDirectDrawSurface *primary_ = nullptr;
    int bits_ = 0;
};
