#include "mmstream/com/ddraw_stream_sample.h"

#include "common/exception_guard.h"

#include "mmstream/com/ddraw_media_stream.h"
#include "mmstream/com/multimedia_stream.h"
#include "mmstream/paint/frame_painter.h"
#include "mmstream/picture/decoding_thread.h"

namespace standin::mmstream {

DdrawStreamSample::DdrawStreamSample(DdrawMediaStream &stream, IDirectDrawSurface *surface, const RECT &rect,
                                     const DDSURFACEDESC &description)
    : stream_(stream), surface_(surface), surfaceWidth_(description.dwWidth), surfaceHeight_(description.dwHeight) {
    // Not a reference the host sees: the multimedia stream's Release
    // still reaches 0 when the host lets go of it.
    stream_.Owner().HoldInternally();
    stream_.SampleCreated();
    surface_->AddRef();
    update_.surface = surface_;
    update_.pixelFormat = description.ddpfPixelFormat;
    update_.rect = rect;
}

// A sample that never found the decoding thread never issued an update.
DdrawStreamSample::~DdrawStreamSample() {
    if (DecodingThread *decoder = decoder_.load(std::memory_order_acquire)) decoder->Withdraw(update_);
    surface_->Release();
    stream_.SampleGone();
    stream_.Owner().LetGoInternally();  // may be the last reference on the multimedia stream
}

// The thread is looked up under bindMutex_, so a call that still found
// none has finished with the update before the thread's mutex takes over.
// `bound` runs without bindMutex_: a synchronous update may wait long, and
// another thread may abort it meanwhile.
template <typename Bound, typename Unbound>
auto DdrawStreamSample::WithUpdate(Bound bound, Unbound unbound) {
    DecodingThread *decoder = decoder_.load(std::memory_order_acquire);
    if (!decoder) {
        std::unique_lock<std::mutex> lock(bindMutex_);
        decoder = decoder_.load(std::memory_order_relaxed);
        if (!decoder && stream_.Owner().OpenMovie(nullptr, &decoder) && decoder)
            decoder_.store(decoder, std::memory_order_release);
        if (!decoder) return unbound(update_);
    }
    return bound(*decoder);
}

HRESULT DdrawStreamSample::QueryInterface(REFIID riid, void **out) {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IStreamSample || riid == IID_IDirectDrawStreamSample)
        return Hand(static_cast<IDirectDrawStreamSample *>(this), out);
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT DdrawStreamSample::GetMediaStream(IMediaStream **stream) {
    if (!stream) return E_POINTER;
    *stream = &stream_;
    stream_.AddRef();
    return S_OK;
}

HRESULT DdrawStreamSample::GetSampleTimes(STREAM_TIME *start, STREAM_TIME *end, STREAM_TIME *current) {
    WithUpdate([&](DecodingThread &decoder) { decoder.Times(update_, start, end); },
               [&](const SampleUpdate &update) {
                   if (start) *start = update.frameStart;
                   if (end) *end = update.frameEnd;
               });
    if (current) *current = stream_.Owner().Clock().Now();
    return S_OK;
}

HRESULT DdrawStreamSample::SetSampleTimes(const STREAM_TIME *, const STREAM_TIME *) { return E_NOTIMPL; }

// Completion is learnt by polling CompletionStatus or from an event, which
// makes the update asynchronous; completion routines (APCs) are not
// offered. Before a movie is open the stream answers as a stopped one.
HRESULT DdrawStreamSample::Update(DWORD flags, HANDLE event, PAPCFUNC apc, DWORD) {
    if (flags & ~static_cast<DWORD>(SSUPDATE_ASYNC | SSUPDATE_CONTINUOUS)) return E_NOTIMPL;
    if (event && apc) return E_INVALIDARG;
    if (apc) return E_NOTIMPL;
    if (!stream_.Owner().Clock().Running()) return MS_E_NOTRUNNING;
    DecodingThread::Request request;
    request.async = (flags & SSUPDATE_ASYNC) || event;
    request.continuous = (flags & SSUPDATE_CONTINUOUS) != 0;
    request.event = event;
    return WithUpdate(
        [&](DecodingThread &decoder) -> HRESULT {
            // A surface frames cannot be painted into (4-bit, made before
            // the movie was open) would drop every frame until the end.
            if (!CanPaint(update_.pixelFormat)) return DDERR_INVALIDSURFACETYPE;
            return GuardExceptions([&] { return decoder.Update(update_, request); });
        },
        [](SampleUpdate &) -> HRESULT { return MS_E_NOTRUNNING; });
}

HRESULT DdrawStreamSample::CompletionStatus(DWORD flags, DWORD milliseconds) {
    return WithUpdate(
        [&](DecodingThread &decoder) -> HRESULT {
            return GuardExceptions([&] { return decoder.CompletionStatus(update_, flags, milliseconds); });
        },
        [](SampleUpdate &) -> HRESULT { return S_OK; });  // no update was ever issued
}

HRESULT DdrawStreamSample::GetSurface(IDirectDrawSurface **surface, RECT *rect) {
    if (surface) {
        *surface = surface_;
        surface_->AddRef();
    }
    if (rect) {
        WithUpdate([&](DecodingThread &decoder) { decoder.Rect(update_, rect); },
                   [&](const SampleUpdate &update) { *rect = update.rect; });
    }
    return S_OK;
}

HRESULT DdrawStreamSample::SetRect(const RECT *rect) {
    if (!rect) return E_POINTER;
    if (rect->left < 0 || rect->top < 0 || rect->right > static_cast<LONG>(surfaceWidth_) ||
        rect->bottom > static_cast<LONG>(surfaceHeight_))
        return DDERR_INVALIDRECT;
    RECT current;
    GetSurface(nullptr, &current);
    // The rectangle keeps its size.
    if (rect->right - rect->left != current.right - current.left ||
        rect->bottom - rect->top != current.bottom - current.top)
        return DDERR_INVALIDRECT;
    return WithUpdate([&](DecodingThread &decoder) -> HRESULT { return decoder.SetRect(update_, *rect); },
                      [&](SampleUpdate &update) -> HRESULT {
                          update.rect = *rect;
                          return S_OK;
                      });
}

}  // namespace standin::mmstream
