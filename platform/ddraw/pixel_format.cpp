#include "ddraw/pixel_format.h"

namespace standin {

DDPIXELFORMAT PixelFormatForDepth(DWORD bitsPerPixel) {
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof(DDPIXELFORMAT);
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = bitsPerPixel;
    if (bitsPerPixel == 8) {
        format.dwFlags |= DDPF_PALETTEINDEXED8;
    } else if (bitsPerPixel == 16) {
        format.dwRBitMask = 0xF800;
        format.dwGBitMask = 0x07E0;
        format.dwBBitMask = 0x001F;
    } else {
        format.dwRBitMask = 0xFF0000;
        format.dwGBitMask = 0x00FF00;
        format.dwBBitMask = 0x0000FF;
    }
    return format;
}

bool NormalizePixelFormat(const DDPIXELFORMAT &requested, DDPIXELFORMAT *normalized) {
    // Some callers leave DDPF_RGB out of an 8-bit palettized format.
    const DWORD flags = requested.dwFlags & ~DDPF_RGB;
    const DWORD bits = requested.dwRGBBitCount;
    if (flags == DDPF_PALETTEINDEXED8) {
        if (bits != 8) return false;
        *normalized = PixelFormatForDepth(8);
        return true;
    }
    if (flags == DDPF_PALETTEINDEXED4) {
        if (bits != 4) return false;
        *normalized = PixelFormatForDepth(8);
        normalized->dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED4;
        normalized->dwRGBBitCount = 4;
        return true;
    }
    // 32-bit pixels may carry alpha in their top byte.
    const bool alpha = requested.dwFlags == (DDPF_RGB | DDPF_ALPHAPIXELS);
    if (alpha && (bits != 32 || requested.dwRGBAlphaBitMask != 0xFF000000)) return false;
    if (!alpha && requested.dwFlags != DDPF_RGB) return false;
    if (bits != 16 && bits != 24 && bits != 32) return false;
    DDPIXELFORMAT expected = PixelFormatForDepth(bits);
    if (requested.dwRBitMask != expected.dwRBitMask || requested.dwGBitMask != expected.dwGBitMask ||
        requested.dwBBitMask != expected.dwBBitMask) {
        return false;
    }
    if (alpha) {
        expected.dwFlags |= DDPF_ALPHAPIXELS;
        expected.dwRGBAlphaBitMask = 0xFF000000;
    }
    *normalized = expected;
    return true;
}

bool WholeBytePixels(const DDPIXELFORMAT &format) { return format.dwRGBBitCount >= 8; }

bool PixelFormatsMatch(const DDPIXELFORMAT &a, const DDPIXELFORMAT &b) {
    return a.dwFlags == b.dwFlags && a.dwRGBBitCount == b.dwRGBBitCount && a.dwRBitMask == b.dwRBitMask &&
           a.dwGBitMask == b.dwGBitMask && a.dwBBitMask == b.dwBBitMask && a.dwRGBAlphaBitMask == b.dwRGBAlphaBitMask;
}

}  // namespace standin
