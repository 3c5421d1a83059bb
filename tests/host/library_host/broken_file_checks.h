// Files the library cannot open give a null record and exactly one line on
// standard error, and leave COM and the DirectDraw object as they were.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "moviegen/moviegen.h"

void CheckBrokenFiles(IDirectDraw *dd, const moviegen::TempDir &dir);
