// What the host's primary surface shows, read back as R,G,B bytes.
#pragma once

#include <cstdint>
#include <vector>

#include <windows.h>
#include <ddraw.h>

// Makes the screen black.
bool ClearScreen(IDirectDrawSurface *primary);

// R,G,B bytes of `area`, rows packed (an 8-bit screen through the system
// palette); empty when the screen cannot be locked.
std::vector<uint8_t> ScreenRgb(IDirectDrawSurface *primary, const RECT &area);

// `area` of the screen shrunk or stretched back to width x height by
// sampling each pixel's centre: what a frame shown there looked like.
std::vector<uint8_t> ScreenPicture(IDirectDrawSurface *primary, const RECT &area, int width, int height);

// Whether every pixel of `shown` has a colour nearest to the same pixel of
// `wanted` among the system palette's colours.
bool NearestSystemColours(const std::vector<uint8_t> &shown, const std::vector<uint8_t> &wanted);
