// Exports that a library still being written may lack: looked up at run
// time, so that the host links against any build and says what it skipped.
#pragma once

#include <vidsurf.h>

using StreamRectFunction = decltype(&streamRect);

// Null when the library does not export streamRect.
StreamRectFunction FindStreamRect();
