// A movie opened through the SDK interfaces only, the way the library opens
// one: COM, the multimedia stream on the host's DirectDraw object, the
// primary video stream, a frame surface in the stream's format and a sample
// on it. Everything is released when the object goes away.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include <amstream.h>
#include <ddstream.h>
#include <mmstream.h>

#include <string>

class MovieStream {
public:
    explicit MovieStream(IDirectDraw *directDraw);
    ~MovieStream();
    MovieStream(const MovieStream &) = delete;
    MovieStream &operator=(const MovieStream &) = delete;

    // Opens the file and makes the sample; false with *error set on failure.
    // withAudio attaches the default audio renderer first, as the library
    // does (a movie without sound still pays for it).
    bool Open(const std::string &path, std::string *error, bool withAudio = false);
    // Runs the stream (before the first update).
    void Run();
    // One synchronous update: S_OK, MS_S_ENDOFSTREAM or a failure.
    HRESULT Update();
    // Back to the first frame.
    void Rewind();
    // The open stream and its sample, for calls of a benchmark's own.
    IAMMultiMediaStream *Stream() const { return mm_; }
    IDirectDrawStreamSample *Sample() const { return sample_; }

private:
    void Close();

    IDirectDraw *directDraw_;
    bool comStarted_ = false;
    IAMMultiMediaStream *mm_ = nullptr;
    IDirectDrawMediaStream *ddStream_ = nullptr;
    IDirectDrawSurface *surface_ = nullptr;
    IDirectDrawStreamSample *sample_ = nullptr;
};
