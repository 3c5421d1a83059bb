#include "format_checks.h"

#include <cstring>

#include "check.h"

namespace {

void CheckPalette(const StreamFormat &format, const TestMovie &movie, DWORD screenBits, const std::string &where) {
    if (screenBits != 8) {
        Check(format.palette == nullptr, where + ": no palette on a true-colour screen");
        return;
    }
    Check(format.palette != nullptr, where + ": a palette on the 8-bit screen");
    if (!format.palette) return;
    DWORD caps = 0;
    Check(format.palette->GetCaps(&caps) == DD_OK && (caps & DDPCAPS_8BIT), where + ": a 256-entry palette");
    if (!moviegen::KindIsPaletted(movie.recipe.kind)) return;
    const auto colours = moviegen::MoviePalette();
    bool same = true;
    for (int i = 0; i < 256; ++i) {
        const PALETTEENTRY &e = format.entries[i];
        same = same && ((uint32_t{e.peRed} << 16) | (uint32_t{e.peGreen} << 8) | e.peBlue) == colours[i];
    }
    Check(same, where + ": the palette is the movie's own");
}

}  // namespace

bool CheckFormat(const MovieStream &stream, const TestMovie &movie, DWORD screenBits, const std::string &where,
                 StreamFormat *format) {
    std::memset(&format->current, 0, sizeof format->current);
    format->current.dwSize = sizeof format->current;
    DDSURFACEDESC desired;
    std::memset(&desired, 0, sizeof desired);
    desired.dwSize = sizeof desired;
    DWORD flags = 0xFFFFFFFF;
    const HRESULT hr = stream.ddStream->GetFormat(&format->current, &format->palette, &desired, &flags);
    Check(hr == S_OK, where + ": GetFormat");
    if (hr != S_OK) return false;

    const DDSURFACEDESC &current = format->current;
    const DWORD sized = DDSD_WIDTH | DDSD_HEIGHT;
    Check((current.dwFlags & (sized | DDSD_CAPS)) == (sized | DDSD_CAPS), where + ": current format flags");
    const DWORD caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    Check((current.ddsCaps.dwCaps & caps) == caps, where + ": offscreen system-memory caps");
    Check(current.dwWidth == DWORD(movie.recipe.width) && current.dwHeight == DWORD(movie.recipe.height),
          where + ": frame size");
    Check(desired.ddpfPixelFormat.dwRGBBitCount == screenBits, where + ": the screen's pixel format");
    Check((desired.dwFlags & sized) == sized, where + ": desired format flags");
    Check(flags == 0, where + ": format flags output is 0");
    if (format->palette) format->palette->GetEntries(0, 0, 256, format->entries);
    CheckPalette(*format, movie, screenBits, where);

    const STREAM_TIME expectedFrame = STREAM_TIME{10000000} * movie.recipe.fpsDen / movie.recipe.fpsNum;
    STREAM_TIME frameTime = 0;
    Check(stream.ddStream->GetTimePerFrame(&frameTime) == S_OK && frameTime == expectedFrame,
          where + ": GetTimePerFrame is " + std::to_string(frameTime));
    STREAM_TIME duration = 0;
    const STREAM_TIME length = moviegen::MovieDuration100ns(movie.recipe);
    Check(stream.mm->GetDuration(&duration) == S_OK && duration > length - expectedFrame &&
              duration < length + expectedFrame,
          where + ": GetDuration is " + std::to_string(duration) + ", the movie lasts " + std::to_string(length));
    return true;
}
