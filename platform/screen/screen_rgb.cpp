#include "screen/screen_rgb.h"

#include <mutex>

#include "gdi/system_palette.h"
#include "screen/screen.h"

namespace standin {

namespace {

// Stretches a 5 or 6-bit channel over 0-255 so that full scale stays full.
BYTE Expand(unsigned value, unsigned bits) {
    return static_cast<BYTE>((value << (8 - bits)) | (value >> (2 * bits - 8)));
}

}  // namespace

void ConvertRowToRgb(const BYTE *pixels, DWORD width, DWORD bitsPerPixel, const PALETTEENTRY *palette, BYTE *rgb) {
    for (DWORD x = 0; x < width; ++x, rgb += 3) {
        switch (bitsPerPixel) {
        case 8: {
            const PALETTEENTRY &entry = palette[pixels[x]];
            rgb[0] = entry.peRed;
            rgb[1] = entry.peGreen;
            rgb[2] = entry.peBlue;
            break;
        }
        case 16: {
            const unsigned value = pixels[2 * x] | (pixels[2 * x + 1] << 8);
            rgb[0] = Expand(value >> 11, 5);
            rgb[1] = Expand((value >> 5) & 0x3F, 6);
            rgb[2] = Expand(value & 0x1F, 5);
            break;
        }
        default: {
            const BYTE *pixel = pixels + x * (bitsPerPixel / 8);
            rgb[0] = pixel[2];
            rgb[1] = pixel[1];
            rgb[2] = pixel[0];
            break;
        }
        }
    }
}

RgbImage CaptureScreenRgb() {
    Screen &screen = Screen::Instance();
    const ScreenMode &mode = screen.mode();
    // Read the palette before taking the screen's lock, so that no thread
    // ever holds both the screen and the GDI state at once.
    PALETTEENTRY palette[256] = {};
    if (mode.palettized()) SnapshotSystemPalette(palette);

    RgbImage image;
    image.width = mode.width;
    image.height = mode.height;
    image.rgb.resize(static_cast<size_t>(mode.width) * 3 * mode.height);
    std::lock_guard<std::mutex> hold(screen.mutex());
    for (DWORD y = 0; y < mode.height; ++y) {
        ConvertRowToRgb(screen.pixels() + static_cast<size_t>(y) * screen.pitch(), mode.width, mode.bitsPerPixel,
                        palette, image.rgb.data() + static_cast<size_t>(y) * mode.width * 3);
    }
    return image;
}

}  // namespace standin
