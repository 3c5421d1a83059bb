// Creating the multimedia stream object on a movie file.
#pragma once

#include "stream/stream_sample.h"

// Creates a multimedia stream with the primary video stream on `directDraw`
// and the primary audio stream on the default renderer, and opens `fileName`
// in it. On success `*mmStream` receives the object (one reference for the
// caller); when the file cannot be opened it receives null; when the object
// cannot even be created, `*mmStream` is left as it was.
void RenderFileToMMStream(const char *fileName, IAMMultiMediaStream **mmStream, IDirectDraw *directDraw);
