// Checks that need the stream clock to follow real time: no frame arrives
// before its start time, and an update for a frame still ahead stays
// pending long enough to be seen busy and withdrawn.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "test_movies.h"

// Every frame of `movie` with synchronous updates: the clock read after each
// is never more than 1 ms before the frame's start.
void CheckFrameTimes(IDirectDraw *dd, const TestMovie &movie, DWORD screenBits);
// `slow` has frames far enough apart (a quarter of a second) that the next
// one is still ahead while the host looks: MS_S_PENDING, MS_E_BUSY (also
// after a stop and run), completion on time, and release while pending.
void CheckPendingUpdates(IDirectDraw *dd, const TestMovie &slow, DWORD screenBits);
