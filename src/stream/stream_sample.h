// The per-movie record behind the opaque StreamSample of <vidsurf.h>.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include <mmstream.h>
#include <amstream.h>
#include <ddstream.h>

#include "exported_interface.h"

// One block per open movie, from calloc, zero-filled: every field stays zero
// or null until the step that sets it, and teardown acts only on the fields
// that are set. Interface pointers hold one reference each, except the
// borrowed directDraw.
struct StreamSample {
    IDirectDraw *directDraw;               // the host's; borrowed, never released
    IMediaStream *videoStream;             // primary video stream
    IDirectDrawMediaStream *ddStream;      // its DirectDraw interface
    IDirectDrawStreamSample *sample;       // decodes frames into `surface`
    IDirectDrawPalette *ddPalette;         // palette of the stream format; may be null
    IDirectDrawSurface *surface;           // frame surface
    IDirectDrawSurface *backSurface;       // palette-translated copy; null until needed
    IAMMultiMediaStream *mmStream;         // the stream object opened on the file
    HWND hwnd;                             // the host's window; may be null
    RECT frameRect;                        // 0, 0, frame width, frame height
    STREAM_TIME currentTime;               // stream clock as last read
    STREAM_TIME duration;                  // movie length
    STREAM_TIME frameTime;                 // time per video frame
    HRESULT updateStatus;                  // last sample update; 0 = none outstanding
    HPALETTE hPalette;                     // GDI palette made from logPalette
    LOGPALETTE *logPalette;                // 256-entry copy of the stream palette (1028 bytes)

    // Result of the record's own CoInitialize. Only a successful one (S_OK
    // or S_FALSE) is undone at teardown, so a thread already in another
    // apartment keeps its COM initialisation.
    HRESULT comInitResult;
};
