// Remapping 8-bit surfaces in place.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "present/translation_table.h"

// Replaces every pixel byte b of `surface` by table->index[b], row by row;
// the padding past each row's width is left alone. A refused lock writes
// "Error in Lock" to standard error and changes nothing.
void ddSurfaceLookup(IDirectDrawSurface *surface, const TranslationTable *table);
