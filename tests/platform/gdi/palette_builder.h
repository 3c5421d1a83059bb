// Logical palettes for the GDI tests.
#pragma once

#include <cstring>
#include <vector>
#include <windows.h>

// A LOGPALETTE with room for `count` entries (at least one).
class LogPaletteBuffer {
public:
    explicit LogPaletteBuffer(int count, WORD version = 0x300)
        : bytes_(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * (count > 1 ? count - 1 : 0)) {
        get()->palVersion = version;
        get()->palNumEntries = static_cast<WORD>(count);
    }
    LOGPALETTE *get() { return reinterpret_cast<LOGPALETTE *>(bytes_.data()); }
    PALETTEENTRY &operator[](int i) { return get()->palPalEntry[i]; }

private:
    std::vector<unsigned char> bytes_;
};

// Colour i of a family of distinct colours that are neither black nor a
// static colour (no static colour has blue 77); `offset` picks another
// family of distinct colours.
inline PALETTEENTRY DistinctColour(int i, BYTE flags, int offset = 0) {
    return PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(77 + offset), flags};
}

// A palette of `count` distinct colours, all with `flags`.
inline HPALETTE MakeDistinctPalette(int count, BYTE flags, int offset = 0) {
    LogPaletteBuffer log(count);
    for (int i = 0; i < count; ++i) log[i] = DistinctColour(i, flags, offset);
    return CreatePalette(log.get());
}

inline bool SameRgb(const PALETTEENTRY &a, const PALETTEENTRY &b) {
    return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue;
}
