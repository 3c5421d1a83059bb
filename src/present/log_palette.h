// A LOGPALETTE with room for all 256 entries of an 8-bit palette.
#pragma once

#include <cstddef>

#include <windows.h>

constexpr int kPaletteEntries = 256;
constexpr WORD kLogPaletteVersion = 0x300;

// Same layout as LOGPALETTE, with the entry array at its full size.
struct LogPalette256 {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[kPaletteEntries];
};

// 1028 bytes: the size of the record's logPalette block.
constexpr size_t kLogPaletteBytes = sizeof(LogPalette256);
static_assert(kLogPaletteBytes == 1028, "LOGPALETTE of 256 entries");
static_assert(offsetof(LogPalette256, palPalEntry) == offsetof(LOGPALETTE, palPalEntry), "LOGPALETTE layout");

inline LogPalette256 *fullPalette(LOGPALETTE *palette) { return reinterpret_cast<LogPalette256 *>(palette); }
inline const LogPalette256 *fullPalette(const LOGPALETTE *palette) {
    return reinterpret_cast<const LogPalette256 *>(palette);
}
inline const LOGPALETTE *asLogPalette(const LogPalette256 *palette) {
    return reinterpret_cast<const LOGPALETTE *>(palette);
}
