// The back surface: the copy of an 8-bit frame that is translated to the
// system palette, so the frame surface itself keeps the stream's indices.
#pragma once

#include <windows.h>
#include <ddraw.h>

struct StreamSample;

// True when the stream's palette is an 8-bit one, that is when its frames
// need translating before they are shown.
bool hasEightBitPalette(StreamSample *stream);

// For an 8-bit palettized stream: creates the back surface on first need,
// in the stream's current format, then copies the frame surface into it.
// True when the copy was made; false when there is nothing to translate or
// a lock was refused ("Error in Lock" on standard error).
bool backupSurface(StreamSample *stream);

// Copies the frame surface into an existing back surface, row by row, each
// with its own pitch. False when a lock was refused.
bool copyFrameToBackSurface(StreamSample *stream);
