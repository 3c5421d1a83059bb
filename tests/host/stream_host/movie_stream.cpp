#include "movie_stream.h"

#include <vector>

#include "check.h"

ULONG RefCount(IUnknown *object) {
    object->AddRef();
    return object->Release();
}

bool CreateMovieStream(IDirectDraw *dd, bool audio, MovieStream *stream) {
    *stream = MovieStream{};
    HRESULT hr = CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                                  reinterpret_cast<void **>(&stream->mm));
    Check(hr == S_OK && stream->mm, "CoCreateInstance(CLSID_AMMultiMediaStream)");
    if (hr != S_OK || !stream->mm) return false;
    Check(stream->mm->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, nullptr) == S_OK, "Initialize");
    Check(stream->mm->AddMediaStream(dd, &MSPID_PrimaryVideo, 0, nullptr) == S_OK, "AddMediaStream(video)");
    if (audio) {
        // Without an audio device the movie plays silent.
        hr = stream->mm->AddMediaStream(nullptr, &MSPID_PrimaryAudio, AMMSF_ADDDEFAULTRENDERER, nullptr);
        Check(hr == S_OK || hr == VFW_E_NO_AUDIO_HARDWARE, "AddMediaStream(default audio renderer)");
    }
    return true;
}

HRESULT OpenMovieFile(IAMMultiMediaStream *mm, const std::string &path) {
    int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::vector<WCHAR> wide(length > 0 ? length : 1);
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
    return mm->OpenFile(wide.data(), 0);
}

bool OpenMovieStream(IDirectDraw *dd, const std::string &path, bool audio, MovieStream *stream) {
    if (!CreateMovieStream(dd, audio, stream)) return false;
    bool ok = OpenMovieFile(stream->mm, path) == S_OK;
    Check(ok, "OpenFile " + path);
    ok = ok && stream->mm->GetMediaStream(MSPID_PrimaryVideo, &stream->video) == S_OK && stream->video;
    ok = ok && stream->video->QueryInterface(IID_IDirectDrawMediaStream,
                                             reinterpret_cast<void **>(&stream->ddStream)) == S_OK;
    Check(ok && stream->ddStream, "the video stream's IDirectDrawMediaStream");
    if (ok && stream->ddStream) return true;
    ReleaseMovieStream(stream);
    return false;
}

ULONG ReleaseMovieStream(MovieStream *stream) {
    if (stream->ddStream) stream->ddStream->Release();
    if (stream->video) stream->video->Release();
    ULONG left = stream->mm ? stream->mm->Release() : 0;
    *stream = MovieStream{};
    return left;
}
