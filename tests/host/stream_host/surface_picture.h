// What a surface holds, read back through Lock: raw pixels, or converted to
// the generator's R,G,B layout so that frames can be compared with it.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>
#include <vector>

struct SurfacePicture {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    DDPIXELFORMAT format{};
    std::vector<uint8_t> pixels;  // rows packed, width * bytesPerPixel bytes each
};

// Locks the whole surface and copies its pixels. False when the lock fails.
bool ReadSurface(IDirectDrawSurface *surface, SurfacePicture *picture);
// R,G,B bytes per pixel, rows packed: palette indices through `palette`
// (256 entries) on 8-bit surfaces, the format's masks otherwise.
std::vector<uint8_t> PictureRgb24(const SurfacePicture &picture, const PALETTEENTRY *palette);
