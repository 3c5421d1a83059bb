#include "mmstream/com/multimedia_stream.h"

#include "common/com_ref.h"
#include "common/exception_guard.h"
#include "mmstream/sound/audio_renderer.h"
#include "mmstream/com/ddraw_media_stream.h"
#include "mmstream/picture/decoding_thread.h"
#include "mmstream/picture/movie_file.h"
#include "mmstream/com/utf16_to_utf8.h"

namespace standin::mmstream {

// The end-of-stream event resets by hand: every host waiting for the end
// wakes, and stays woken until a seek.
MultimediaStream::MultimediaStream()
    : clock_(StreamClock::FreeFromEnvironment()), endOfStream_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

// Samples hold references on this object, so none is left here: the
// threads can be stopped without an update in flight.
MultimediaStream::~MultimediaStream() {
    audio_.reset();
    decoder_.reset();
    video_.reset();
    if (endOfStream_) CloseHandle(endOfStream_);
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
    if (type) *type = Type();
    return S_OK;
}

STREAM_TYPE MultimediaStream::Type() {
    std::lock_guard<std::mutex> lock(mutex_);
    return type_.value_or(STREAMTYPE_READ);
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

// Past the last stream there is nothing to hand out, so no output is needed.
HRESULT MultimediaStream::EnumMediaStreams(LONG index, IMediaStream **stream) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index != 0 || !video_) {
        if (stream) *stream = nullptr;
        return S_FALSE;
    }
    if (!stream) return E_POINTER;
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
    if (!movie_) return E_NOINTERFACE;  // nothing opened: no source to ask
    *duration = movie_->duration;
    return S_OK;
}

HRESULT MultimediaStream::Seek(STREAM_TIME time) {
    clock_.Set(time);
    ClockChanged();
    return S_OK;
}

// The picture and the sound follow the clock's serial; they are woken to
// look at it.
void MultimediaStream::ClockChanged() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (decoder_) decoder_->ClockChanged();
    if (audio_) audio_->ClockChanged();
}

// The handle stays the stream's: the host waits on it and does not close
// it. The video stream is the one stream that ends.
HRESULT MultimediaStream::GetEndOfStreamEventHandle(HANDLE *event) {
    if (!event) return E_POINTER;
    *event = endOfStream_;
    return endOfStream_ ? S_OK : E_OUTOFMEMORY;
}

// The type is set once; streams are read from files whatever it is.
HRESULT MultimediaStream::Initialize(STREAM_TYPE type, DWORD, IGraphBuilder *graph) {
    if (type != STREAMTYPE_READ && type != STREAMTYPE_WRITE && type != STREAMTYPE_TRANSFORM) return E_INVALIDARG;
    if (graph) return E_NOTIMPL;  // no filter graph behind this stream
    std::lock_guard<std::mutex> lock(mutex_);
    if (type_ && *type_ != type) return E_INVALIDARG;
    type_ = type;
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
    // Only sound has a default renderer; one asked for anything else is
    // refused before the purpose is looked at.
    if ((flags & AMMSF_ADDDEFAULTRENDERER) && *purpose != MSPID_PrimaryAudio &&
        (*purpose == MSPID_PrimaryVideo || newStream))
        return E_INVALIDARG;
    // The host's object is asked for its DirectDraw interface before the
    // lock is taken: it may call back into this stream.
    ComRef<IDirectDraw> directDraw;
    if (*purpose == MSPID_PrimaryVideo && streamObject) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (movie_ || opening_) return MS_E_SOURCEALREADYDEFINED;
            if (video_) return MS_E_PURPOSEID;
        }
        IDirectDraw *asked = nullptr;
        const HRESULT hr = streamObject->QueryInterface(IID_IDirectDraw, reinterpret_cast<void **>(&asked));
        directDraw.adopt(asked);
        if (FAILED(hr) || !directDraw) return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (movie_ || opening_) return MS_E_SOURCEALREADYDEFINED;
    return GuardExceptions([&] {
        if (*purpose == MSPID_PrimaryVideo) return AddVideo(directDraw.get(), newStream);
        if (*purpose == MSPID_PrimaryAudio) return AddAudio(flags, newStream);
        return MS_E_PURPOSEID;
    });
}

// With the lock held. `directDraw` stays the caller's; without one the
// stream gets an object of the stand-in's own.
HRESULT MultimediaStream::AddVideo(IDirectDraw *directDraw, IMediaStream **newStream) {
    if (video_) return MS_E_PURPOSEID;
    ComRef<IDirectDraw> own;
    if (!directDraw) {
        IDirectDraw *made = nullptr;
        const HRESULT hr = DirectDrawCreate(nullptr, &made, nullptr);
        own.adopt(made);
        if (FAILED(hr) || !own) return FAILED(hr) ? hr : E_OUTOFMEMORY;
        directDraw = own.get();
    }
    video_.reset(new (std::nothrow) DdrawMediaStream(*this, directDraw));
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

// The file is opened (a whole-file scan for the length included) with the
// mutex released, so that the stream's other calls, and a host's objects
// they reach, do not wait for it; the movie is published under the mutex
// once open. A second OpenFile meanwhile finds the source being defined.
HRESULT MultimediaStream::OpenFile(LPCWSTR fileName, DWORD flags) {
    if (!fileName) return E_POINTER;
    bool keepSound = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (movie_ || opening_) return MS_E_SOURCEALREADYDEFINED;
        if (!video_) {
            const HRESULT hr = AddDefaultStreams(flags);
            if (hr != S_OK) return hr;
        }
        opening_ = true;
        keepSound = audio_ && video_;  // with no stream (AMMSF_NORENDER) nothing plays
    }
    std::string path;
    DecodingThread::Owner decoder;
    std::shared_ptr<MovieSource> source;
    std::optional<MovieInfo> info;
    HRESULT hr = GuardExceptions([&] {
        path = Utf16ToUtf8(fileName);
        HRESULT opened = E_FAIL;
        std::unique_ptr<MovieFile> movie = MovieFile::Open(path, keepSound, &opened);
        if (!movie) return opened;
        info = movie->Info();
        source = movie->Source();
        decoder = DecodingThread::Start(std::move(movie), clock_, endOfStream_);
        return S_OK;
    });
    std::unique_lock<std::mutex> lock(mutex_);
    opening_ = false;
    if (FAILED(hr)) return hr;
    decoder_ = std::move(decoder);
    movie_ = info;
    // A sound track that cannot be played leaves the movie silent.
    if (keepSound) GuardExceptions([&] {
        audio_->Play(std::move(source), *info, clock_);
        return S_OK;
    });
    lock.unlock();
    return (flags & AMMSF_RUN) ? SetState(STREAMSTATE_RUN) : S_OK;
}

// With no video stream to render into, as on Windows: AMMSF_NORENDER
// defines the source alone (the movie is checked and its duration, clock
// and seeking work, but nothing plays), AMMSF_RENDERALLSTREAMS adds the
// default streams (the video on the screen's DirectDraw object, the sound
// on the default renderer) and the movie plays as if they had been added
// first, and rendering to the existing streams finds nothing to connect.
HRESULT MultimediaStream::AddDefaultStreams(DWORD flags) {
    switch (flags & AMMSF_RENDERTYPEMASK) {
        case AMMSF_NORENDER:
            return S_OK;
        case AMMSF_RENDERALLSTREAMS:
            return GuardExceptions([&] {
                const HRESULT hr = AddVideo(nullptr, nullptr);
                if (FAILED(hr)) return hr;
                if (!audio_) AddAudio(AMMSF_ADDDEFAULTRENDERER, nullptr);  // no device: silent
                return S_OK;
            });
        default:
            return VFW_E_CANNOT_CONNECT;
    }
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
