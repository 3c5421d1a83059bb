#include "mmstream/multimedia_stream.h"

#include "common/exception_guard.h"
#include "mmstream/audio_renderer.h"
#include "mmstream/ddraw_media_stream.h"
#include "mmstream/decoding_thread.h"
#include "mmstream/movie_file.h"
#include "mmstream/utf16_to_utf8.h"

namespace standin::mmstream {

MultimediaStream::MultimediaStream() : clock_(StreamClock::FreeFromEnvironment()) {}

// Samples hold references on this object, so none is left here: the
// threads can be stopped without an update in flight.
MultimediaStream::~MultimediaStream() {
    audio_.reset();
    decoder_.reset();
    video_.reset();
}

HRESULT MultimediaStream::QueryInterface(REFIID riid, void **out) {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IMultiMediaStream || riid == IID_IAMMultiMediaStream)
        return Hand(static_cast<IAMMultiMediaStream *>(this), out);
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT MultimediaStream::GetInformation(DWORD *flags, STREAM_TYPE *type) {
    if (flags) *flags = MMSSF_HASCLOCK | MMSSF_SUPPORTSEEK | MMSSF_ASYNCHRONOUS;
    if (type) *type = STREAMTYPE_READ;
    return S_OK;
}

HRESULT MultimediaStream::GetMediaStream(REFMSPID purpose, IMediaStream **stream) {
    if (!stream) return E_POINTER;
    *stream = nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    if (purpose != MSPID_PrimaryVideo || !video_) return MS_E_NOSTREAM;
    *stream = video_.get();
    (*stream)->AddRef();
    return S_OK;
}

HRESULT MultimediaStream::EnumMediaStreams(LONG index, IMediaStream **stream) {
    if (!stream) return E_POINTER;
    *stream = nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    if (index != 0 || !video_) return S_FALSE;
    *stream = video_.get();
    (*stream)->AddRef();
    return S_OK;
}

HRESULT MultimediaStream::GetState(STREAM_STATE *state) {
    if (!state) return E_POINTER;
    *state = clock_.Running() ? STREAMSTATE_RUN : STREAMSTATE_STOP;
    return S_OK;
}

HRESULT MultimediaStream::SetState(STREAM_STATE state) {
    if (state == STREAMSTATE_RUN)
        clock_.Run();
    else if (state == STREAMSTATE_STOP)
        clock_.Stop();
    else
        return E_INVALIDARG;
    ClockChanged();
    return S_OK;
}

HRESULT MultimediaStream::GetTime(STREAM_TIME *time) {
    if (!time) return E_POINTER;
    return clock_.Read(time) ? S_OK : S_FALSE;
}

HRESULT MultimediaStream::GetDuration(STREAM_TIME *duration) {
    if (!duration) return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    *duration = movie_ ? movie_->duration : 0;
    return movie_ ? S_OK : S_FALSE;
}

HRESULT MultimediaStream::Seek(STREAM_TIME time) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (decoder_)
        decoder_->Seek(time);  // sets the clock together with the position
    else
        clock_.Set(time);
    if (audio_) audio_->ClockChanged();
    return S_OK;
}

void MultimediaStream::ClockChanged() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (decoder_) decoder_->ClockChanged();
    if (audio_) audio_->ClockChanged();
}

HRESULT MultimediaStream::GetEndOfStreamEventHandle(HANDLE *event) {
    if (event) *event = nullptr;
    return E_NOTIMPL;
}

HRESULT MultimediaStream::Initialize(STREAM_TYPE type, DWORD, IGraphBuilder *graph) {
    if (type != STREAMTYPE_READ) return E_INVALIDARG;
    if (graph) return E_NOTIMPL;  // no filter graph behind this stream
    return S_OK;
}

HRESULT MultimediaStream::GetFilterGraph(IGraphBuilder **graph) {
    if (graph) *graph = nullptr;
    return E_NOTIMPL;
}

HRESULT MultimediaStream::GetFilter(IMediaStreamFilter **filter) {
    if (filter) *filter = nullptr;
    return E_NOTIMPL;
}

HRESULT MultimediaStream::AddMediaStream(IUnknown *streamObject, const MSPID *purpose, DWORD flags,
                                         IMediaStream **newStream) {
    if (newStream) *newStream = nullptr;
    if (!purpose) return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    if (movie_) return MS_E_SOURCEALREADYDEFINED;
    return GuardExceptions([&] {
        if (*purpose == MSPID_PrimaryVideo) return AddVideo(streamObject, newStream);
        if (*purpose == MSPID_PrimaryAudio) return AddAudio(flags, newStream);
        return MS_E_PURPOSEID;
    });
}

HRESULT MultimediaStream::AddVideo(IUnknown *streamObject, IMediaStream **newStream) {
    if (video_) return MS_E_PURPOSEID;
    IDirectDraw *directDraw = nullptr;
    const HRESULT hr = streamObject
                           ? streamObject->QueryInterface(IID_IDirectDraw, reinterpret_cast<void **>(&directDraw))
                           : DirectDrawCreate(nullptr, &directDraw, nullptr);
    if (FAILED(hr) || !directDraw) return FAILED(hr) ? hr : E_NOINTERFACE;
    video_.reset(new (std::nothrow) DdrawMediaStream(*this, directDraw));
    directDraw->Release();  // the media stream keeps its own reference
    if (!video_) return E_OUTOFMEMORY;
    if (newStream) {
        *newStream = video_.get();
        (*newStream)->AddRef();
    }
    return S_OK;
}

// Only the default renderer is offered for sound: there is no audio media
// stream to read samples from.
HRESULT MultimediaStream::AddAudio(DWORD flags, IMediaStream **newStream) {
    if (audio_) return MS_E_PURPOSEID;
    if (!(flags & AMMSF_ADDDEFAULTRENDERER)) return E_NOTIMPL;
    if (newStream) return E_INVALIDARG;
    audio_ = AudioRenderer::Create();
    return audio_ ? S_OK : VFW_E_NO_AUDIO_HARDWARE;
}

HRESULT MultimediaStream::OpenFile(LPCWSTR fileName, DWORD flags) {
    if (!fileName) return E_POINTER;
    std::unique_lock<std::mutex> lock(mutex_);
    if (movie_) return MS_E_SOURCEALREADYDEFINED;
    if (!video_) return VFW_E_CANNOT_RENDER;  // nothing to show the video in
    const HRESULT hr = GuardExceptions([&] {
        const std::string path = Utf16ToUtf8(fileName);
        HRESULT opened = E_FAIL;
        std::unique_ptr<MovieFile> movie = MovieFile::Open(path, audio_ != nullptr, &opened);
        if (!movie) return opened;
        const MovieInfo info = movie->Info();
        std::shared_ptr<MovieSource> source = movie->Source();
        decoder_ = std::make_unique<DecodingThread>(std::move(movie), clock_);
        movie_ = info;
        // A sound track that cannot be played leaves the movie silent.
        if (audio_) GuardExceptions([&] {
            audio_->Play(std::move(source), info, clock_);
            return S_OK;
        });
        return S_OK;
    });
    lock.unlock();
    if (FAILED(hr)) return hr;
    return (flags & AMMSF_RUN) ? SetState(STREAMSTATE_RUN) : S_OK;
}

HRESULT MultimediaStream::OpenMoniker(IBindCtx *, IMoniker *, DWORD) { return E_NOTIMPL; }

HRESULT MultimediaStream::Render(DWORD) { return E_NOTIMPL; }

bool MultimediaStream::OpenMovie(MovieInfo *info, DecodingThread **decoder) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!movie_) return false;
    if (info) *info = *movie_;
    if (decoder) *decoder = decoder_.get();
    return true;
}

}  // namespace standin::mmstream
