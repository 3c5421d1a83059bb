#include "mmstream/com/ddraw_stream_sample.h"

#include "common/exception_guard.h"

#include "mmstream/com/ddraw_media_stream.h"
#include "mmstream/picture/decoding_thread.h"
#include "mmstream/com/multimedia_stream.h"

namespace standin::mmstream {

DdrawStreamSample::DdrawStreamSample(DdrawMediaStream &stream, DecodingThread &decoder, IDirectDrawSurface *surface,
                                     const RECT &rect, const DDSURFACEDESC &description)
    : stream_(stream), decoder_(decoder), surface_(surface), surfaceWidth_(description.dwWidth),
      surfaceHeight_(description.dwHeight) {
    // Not a reference the host sees: the multimedia stream's Release
    // still reaches 0 when the host lets go of it.
    stream_.Owner().HoldInternally();
    stream_.SampleCreated();
    surface_->AddRef();
    update_.surface = surface_;
    update_.pixelFormat = description.ddpfPixelFormat;
    update_.rect = rect;
}

DdrawStreamSample::~DdrawStreamSample() {
    decoder_.Withdraw(update_);
    surface_->Release();
    stream_.SampleGone();
    stream_.Owner().LetGoInternally();  // may be the last reference on the multimedia stream
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
    decoder_.Times(update_, start, end);
    if (current) *current = stream_.Owner().Clock().Now();
    return S_OK;
}

HRESULT DdrawStreamSample::SetSampleTimes(const STREAM_TIME *, const STREAM_TIME *) { return E_NOTIMPL; }

// Completion is learnt by polling CompletionStatus or from an event, which
// makes the update asynchronous; completion routines (APCs) are not
// offered.
HRESULT DdrawStreamSample::Update(DWORD flags, HANDLE event, PAPCFUNC apc, DWORD) {
    if (flags & ~static_cast<DWORD>(SSUPDATE_ASYNC | SSUPDATE_CONTINUOUS)) return E_NOTIMPL;
    if (event && apc) return E_INVALIDARG;
    if (apc) return E_NOTIMPL;
    if (!stream_.Owner().Clock().Running()) return MS_E_NOTRUNNING;
    DecodingThread::Request request;
    request.async = (flags & SSUPDATE_ASYNC) || event;
    request.continuous = (flags & SSUPDATE_CONTINUOUS) != 0;
    request.event = event;
    return GuardExceptions([&] { return decoder_.Update(update_, request); });
}

HRESULT DdrawStreamSample::CompletionStatus(DWORD flags, DWORD milliseconds) {
    return GuardExceptions([&] { return decoder_.CompletionStatus(update_, flags, milliseconds); });
}

HRESULT DdrawStreamSample::GetSurface(IDirectDrawSurface **surface, RECT *rect) {
    if (surface) {
        *surface = surface_;
        surface_->AddRef();
    }
    if (rect) {
        decoder_.Rect(update_, rect);
    }
    return S_OK;
}

HRESULT DdrawStreamSample::SetRect(const RECT *rect) {
    if (!rect) return E_POINTER;
    if (rect->left < 0 || rect->top < 0 || rect->right > static_cast<LONG>(surfaceWidth_) ||
        rect->bottom > static_cast<LONG>(surfaceHeight_))
        return DDERR_INVALIDRECT;
    RECT current;
    decoder_.Rect(update_, &current);
    // The rectangle keeps the stream's frame size.
    if (rect->right - rect->left != current.right - current.left ||
        rect->bottom - rect->top != current.bottom - current.top)
        return DDERR_INVALIDRECT;
    return decoder_.SetRect(update_, *rect);
}

}  // namespace standin::mmstream
