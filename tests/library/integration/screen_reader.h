// The host's primary surface, and what a rectangle of the screen shows.
#pragma once

#include <cstdint>
#include <vector>

#include <ddraw.h>

class ScreenReader {
public:
    // Makes a primary surface on `directDraw` (normal cooperation with the
    // desktop), as a host would.
    explicit ScreenReader(IDirectDraw *directDraw);
    ~ScreenReader();
    ScreenReader(const ScreenReader &) = delete;
    ScreenReader &operator=(const ScreenReader &) = delete;

    IDirectDrawSurface *primary() const { return primary_; }

    // R,G,B bytes of `area`, rows packed; an 8-bit screen is seen through
    // the system palette of the moment. Empty when the screen cannot be
    // locked.
    std::vector<uint8_t> rgb(const RECT &area) const;
    // The frame number the movie picture in `area` shows; -1 if none.
    int frameIndex(const RECT &area) const;

private:
    IDirectDrawSurface *primary_ = nullptr;
};

// The system palette's 256 colours (all black on a screen without one).
std::vector<PALETTEENTRY> SystemPalette();
