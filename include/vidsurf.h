/*
 * vidsurf: plays movie files into DirectDraw surfaces owned by the host.
 *
 * The host owns the DirectDraw object, the primary surface and the window;
 * the library borrows them. Each open movie is a StreamSample record made by
 * createStreamSample and given back with freeStreamSample, used on the thread
 * that opened it. Times are in seconds, except streamFrametime (milliseconds).
 */
#ifndef VIDSURF_H
#define VIDSURF_H

#include <windows.h>
#include <ddraw.h>

#if defined(_WIN32)
#  if defined(VIDSURF_BUILDING_DLL)
#    define VIDSURF_API __declspec(dllexport)
#  else
#    define VIDSURF_API __declspec(dllimport)
#  endif
#  define VIDSURF_CALL __cdecl
#else
#  define VIDSURF_API __attribute__((visibility("default")))
#  define VIDSURF_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One open movie; the host only ever holds its address. */
typedef struct StreamSample StreamSample;

/* Opening and closing. createStreamSample returns null when the movie cannot
 * be opened; freeStreamSample accepts null. */
VIDSURF_API StreamSample *VIDSURF_CALL createStreamSample(const char *fileName, HWND hwnd,
                                                          IDirectDraw *directDraw);
VIDSURF_API void VIDSURF_CALL freeStreamSample(StreamSample *stream);

/* Seeking and the clock. streamSeek: below -1.0 stops the stream, -1.0 up to
 * 0.0 parks it at the end of the movie, otherwise seeks to that second. */
VIDSURF_API void VIDSURF_CALL streamSeek(StreamSample *stream, double seconds);
VIDSURF_API double VIDSURF_CALL streamClock(StreamSample *stream);
VIDSURF_API double VIDSURF_CALL streamDuration(StreamSample *stream);
VIDSURF_API double VIDSURF_CALL streamFrametime(StreamSample *stream);

/* Playback: the tick returns 1 while playing, 2 while a decode is pending and
 * 0 at the end; streamPause shows the frame at the given time as a still. */
VIDSURF_API int VIDSURF_CALL updateStreamSample(StreamSample *stream, IDirectDrawSurface *primary);
VIDSURF_API void VIDSURF_CALL streamPause(StreamSample *stream, IDirectDrawSurface *primary, double seconds);

/* The movie's palette as 256 red, green, blue triples (768 bytes; rgb may be
 * null). Returns 256, or 0 when the movie has no palette. */
VIDSURF_API int VIDSURF_CALL streamPalette(StreamSample *stream, unsigned char *rgb);

/* Presentation on the primary surface; each returns what ReleaseDC did. */
VIDSURF_API int VIDSURF_CALL updateSurface(StreamSample *stream, IDirectDrawSurface *primary);
VIDSURF_API int VIDSURF_CALL drawSurface(StreamSample *stream, IDirectDrawSurface *primary, int realize);
VIDSURF_API int VIDSURF_CALL redrawSurface(StreamSample *stream, IDirectDrawSurface *primary);

/* The frame's geometry and raw pixels (one byte per pixel, rows packed). */
VIDSURF_API int VIDSURF_CALL streamImageInfo(StreamSample *stream, int *width, int *height, int *bitsPerPixel,
                                             int *pitch);
VIDSURF_API int VIDSURF_CALL streamImageData(StreamSample *stream, const unsigned char *pixels);
VIDSURF_API void VIDSURF_CALL streamRect(StreamSample *stream, int *width, int *height);

/* Scripted playback exercise, and its command-line style entry. */
VIDSURF_API int VIDSURF_CALL dshowRender(const char *fileName, HWND hwnd, IDirectDraw *directDraw,
                                         IDirectDrawSurface *primary);
VIDSURF_API int VIDSURF_CALL dshowtest(int argc, char **argv);

#ifdef __cplusplus
}
#endif

#endif /* VIDSURF_H */
