// Reading a frame surface back as R,G,B bytes, for moviegen's frame reader.
#pragma once

#include <cstdint>
#include <vector>

#include <ddraw.h>

struct SurfacePicture {
    DWORD width = 0;
    DWORD height = 0;
    DWORD bitsPerPixel = 0;
    LONG pitch = 0;
    std::vector<uint8_t> indices;  // 8-bit surfaces: the raw pixel bytes, rows packed
    std::vector<uint8_t> rgb;      // width*height*3, rows packed
};

// Locks `surface`, copies it out and unlocks it. An 8-bit surface is looked
// up in `palette` (256 entries); other depths go through their colour masks.
// False when the surface cannot be locked.
bool ReadSurface(IDirectDrawSurface *surface, const PALETTEENTRY *palette, SurfacePicture *picture);
