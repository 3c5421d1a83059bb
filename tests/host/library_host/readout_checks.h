// Opens a movie through the library and reads back what it knows of it:
// clock, duration, frame time, palette, geometry; seeking leaves the clock
// read-out alone; freeing gives back COM and the DirectDraw reference.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "test_movies.h"

void CheckReadouts(IDirectDraw *dd, const TestMovie &movie, DWORD screenBits);
// Null records are accepted where the library promises it.
void CheckNullRecord();
