// Playing movies onto the screen as a host does: tick to the end, seek,
// pause on frames, present again, and look at what the screen shows.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "test_movies.h"

// Plays `movie` with the frames at the top-left of the screen, or in the
// client area of a window of the host's (which is moved on the way).
void CheckPresentation(IDirectDraw *dd, IDirectDrawSurface *primary, const TestMovie &movie, DWORD screenBits,
                       bool windowed);
