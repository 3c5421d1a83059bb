// Opening and freeing movies many times leaks nothing: the same open file
// descriptors, COM initialisations and DirectDraw references afterwards.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <vector>

#include "test_movies.h"

void CheckRepeatedOpens(IDirectDraw *dd, const std::vector<TestMovie> &movies, int times);
