// A multimedia stream opened on a movie the way a Windows host does it:
// CoCreateInstance, Initialize, AddMediaStream, OpenFile, GetMediaStream.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include <amstream.h>

#include <string>

struct MovieStream {
    IAMMultiMediaStream *mm = nullptr;
    IMediaStream *video = nullptr;
    IDirectDrawMediaStream *ddStream = nullptr;
};

// Creates and initialises the stream object with the primary video stream
// drawing through `dd` (and the default audio renderer when `audio`).
// Checks each step; false when the object cannot be made.
bool CreateMovieStream(IDirectDraw *dd, bool audio, MovieStream *stream);
// OpenFile with the name in UTF-16.
HRESULT OpenMovieFile(IAMMultiMediaStream *mm, const std::string &path);
// Creates the stream, opens the file and finds the video stream's
// DirectDraw interface. Checks each step; false on any failure, with
// whatever was made released.
bool OpenMovieStream(IDirectDraw *dd, const std::string &path, bool audio, MovieStream *stream);
// Releases the interfaces, the multimedia stream last; returns what its
// Release returned (0 when it is gone), or 0 when there was none.
ULONG ReleaseMovieStream(MovieStream *stream);

// The reference count of an object, read without changing it.
ULONG RefCount(IUnknown *object);
