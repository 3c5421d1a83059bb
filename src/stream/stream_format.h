// The video stream's current format and the palette that comes with it.
#pragma once

#include "stream/stream_sample.h"

// Asks ddStream for its format. The palette reference handed out replaces
// ddPalette, whose previous reference is released first. `desired` and
// `flags` may be null. Returns GetFormat's result.
HRESULT readStreamFormat(StreamSample *stream, DDSURFACEDESC *current, DDSURFACEDESC *desired, DWORD *flags);

// Drops the record's palette reference, if any.
void releaseStreamPalette(StreamSample *stream);
