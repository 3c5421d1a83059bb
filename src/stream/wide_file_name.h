// File names as the multimedia stream wants them.
#pragma once

#include <windows.h>

// `name` (ANSI code page, null-terminated) as a UTF-16 string in a buffer
// sized to it, from calloc; the caller frees it. Null when the name cannot
// be converted or the buffer cannot be had.
WCHAR *widenFileName(const char *name);
