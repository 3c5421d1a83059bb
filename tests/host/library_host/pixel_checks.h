// Writes the host's own pixels into a movie's frame and reads them back off
// the screen after a redraw, as a host that draws over a frame would.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "test_movies.h"

void CheckPixelRoundTrip(IDirectDraw *dd, IDirectDrawSurface *primary, const TestMovie &movie, DWORD screenBits);
