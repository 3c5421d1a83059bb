// Whether a surface holds the given frame of a test movie.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <string>

#include "test_movies.h"

// Exact indices for a paletted movie on an 8-bit surface, exact pixels for a
// lossless movie on a true-colour surface, the frame number read from the
// picture otherwise. `palette` (256 entries) gives an 8-bit surface's colours.
void CheckFrame(const TestMovie &movie, int index, IDirectDrawSurface *surface, const PALETTEENTRY *palette,
                const std::string &where);
