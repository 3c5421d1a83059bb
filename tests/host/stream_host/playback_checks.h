// Plays a movie frame by frame with synchronous updates: every frame in
// order with the right content, the end of the stream, a seek, the samples'
// refusals, and exact reference counts once everything is released.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "test_movies.h"

void CheckPlayback(IDirectDraw *dd, const TestMovie &movie, DWORD screenBits);
