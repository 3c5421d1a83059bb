// OpenFile refuses what it cannot play (a missing file, an empty one,
// garbage, a movie truncated to almost nothing, sound without pictures) and
// leaves nothing open; a stream with no file answers as such.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "moviegen/moviegen.h"
#include "test_movies.h"

void CheckOpenRefusals(IDirectDraw *dd, const moviegen::TempDir &dir, const TestMovie &intact);
