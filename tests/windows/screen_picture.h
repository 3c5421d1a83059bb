// Reading back what reached the screen: a rectangle of the primary surface
// as R,G,B bytes, for moviegen's frame reader and pixel comparisons.
#pragma once

#include <cstdint>
#include <vector>

#include <windows.h>
#include <ddraw.h>

struct ScreenPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // width*height*3, rows packed
};

// False when the primary surface cannot be locked or the rectangle is not
// on it.
bool ReadScreen(IDirectDrawSurface *primary, const RECT &rect, ScreenPicture *picture);

// The frame number that the picture shows, or -1.
int FrameShown(const ScreenPicture &picture);

// Every second pixel of every second row: a picture blitted at twice its
// size, brought back to its own size.
ScreenPicture HalveScreenPicture(const ScreenPicture &picture);
