#include "present/translation_table.h"

#include <cstring>

#include "present/log_palette.h"

void buildTranslationTable(HDC dc, const LOGPALETTE *streamPalette, TranslationTable *table) {
    // Entries the system does not report stay black.
    LogPalette256 system;
    std::memset(&system, 0, sizeof system);
    GetSystemPaletteEntries(dc, 0, kPaletteEntries, system.palPalEntry);
    system.palVersion = kLogPaletteVersion;
    system.palNumEntries = kPaletteEntries;
    const HPALETTE systemPalette = CreatePalette(asLogPalette(&system));

    const LogPalette256 *stream = fullPalette(streamPalette);
    for (int i = 0; i < kPaletteEntries; ++i) {
        const PALETTEENTRY &entry = stream->palPalEntry[i];
        // The flags byte is not part of the colour.
        const COLORREF colour = RGB(entry.peRed, entry.peGreen, entry.peBlue);
        table->index[i] = static_cast<BYTE>(GetNearestPaletteIndex(systemPalette, colour));
    }
    DeleteObject(systemPalette);
}
