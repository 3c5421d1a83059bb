// Where on the primary surface a record's frames go.
#pragma once

#include <windows.h>

struct StreamSample;

// The client area of the record's window in screen coordinates, worked out
// afresh on each call so a moved or resized window is followed; frameRect
// itself (the frame's own size at the top-left) when the record has no
// window.
RECT destinationRect(const StreamSample *stream);
