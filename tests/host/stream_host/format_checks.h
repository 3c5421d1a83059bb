// What the video stream reports about an open movie: GetFormat (frame size,
// the screen's pixel format, the palette on an 8-bit screen),
// GetTimePerFrame and the multimedia stream's GetDuration.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <string>

#include "movie_stream.h"
#include "test_movies.h"

struct StreamFormat {
    DDSURFACEDESC current{};
    IDirectDrawPalette *palette = nullptr;  // the caller's reference, or null
    PALETTEENTRY entries[256]{};            // the palette's colours
};

// Checks the format of an open stream and hands it out. False when
// GetFormat fails.
bool CheckFormat(const MovieStream &stream, const TestMovie &movie, DWORD screenBits, const std::string &where,
                 StreamFormat *format);
