// Stand-in-only calls (no SDK counterpart): what tests and host programs
// need to look into the stand-in platform.
#pragma once

#include "../windows.h"

extern "C" {
// COM: how many successful CoInitialize/CoInitializeEx calls the calling
// thread has not yet undone.
ULONG StandinComInitCount(void);

// The screen: its mode as parsed from VIDSURF_DISPLAY (default 1024x768x32).
void StandinScreenMode(DWORD *width, DWORD *height, DWORD *bitsPerPixel);

// Saves the screen as a PNG image (an 8-bit screen through the system
// palette). S_OK, or a failure HRESULT when the file cannot be written.
HRESULT StandinSaveScreenPng(const char *path);

// Shows the screen in a desktop window (SDL2) when a display is present and
// refreshes it; later calls refresh it again. FALSE when there is no display.
BOOL StandinMirrorScreen(void);

// Has `watcher(context)` called after every blit that changes the screen
// (a blit to a primary surface), on the blitting thread, with no surface
// locked; a watcher may save or mirror the screen, and its own blits do not
// call it again. One watcher at a time: a later call replaces it, a null
// watcher stops the calls, and on return no other thread is still in the
// old one.
typedef void (*StandinScreenWatcher)(void *context);
void StandinWatchScreen(StandinScreenWatcher watcher, void *context);

// Has `watcher(context, samples, frames, channels, rate)` called each time
// the sound device takes a buffer (16-bit interleaved samples, as it will
// be heard), on the device's thread, right after the buffer was filled. One
// watcher at a time: a later call replaces it, a null watcher stops the
// calls, and on return the old one is no longer running. A watcher must
// not call StandinWatchAudio itself.
typedef void (*StandinAudioWatcher)(void *context, const short *samples, int frames, int channels, int rate);
void StandinWatchAudio(StandinAudioWatcher watcher, void *context);

// Waits up to `milliseconds` until the stand-in's own threads have
// finished what freed streams left them (a decoder finishing its frame and
// freeing the movie, a sound device closing); TRUE when they have. A
// fuzzer calls it before an input ends, so that the memory an input took
// is given back within it.
BOOL StandinSettle(DWORD milliseconds);
}
