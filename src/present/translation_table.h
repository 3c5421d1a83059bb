// Mapping stream-palette indices to the nearest system-palette entries.
#pragma once

#include <windows.h>

// Entry i: index of the system-palette entry nearest in colour to entry i of
// the stream palette.
struct TranslationTable {
    BYTE index[256];
};

// Fills `table` against the system palette as `dc` sees it now, for the 256
// entries of `streamPalette`. Colours compare by RGB alone.
void buildTranslationTable(HDC dc, const LOGPALETTE *streamPalette, TranslationTable *table);
