// A stream sample: frames of the video stream land in its surface.
//
// A sample may be made before its stream has a movie. It finds the
// decoding thread on its first call after the movie was opened; until
// then its update is its own (never issued: an update needs a running
// movie), guarded by bindMutex_, and from then on the thread's mutex
// guards it.
#pragma once

#include <atomic>
#include <mutex>

#include <ddstream.h>

#include "common/com_object.h"
#include "mmstream/com/sample_update.h"

namespace standin::mmstream {

class DdrawMediaStream;
class DecodingThread;

class DdrawStreamSample : public ComObject<IDirectDrawStreamSample> {
public:
    // Takes references on the stream (and so on its multimedia stream) and
    // on the surface, which `description` describes.
    DdrawStreamSample(DdrawMediaStream &stream, IDirectDrawSurface *surface, const RECT &rect,
                      const DDSURFACEDESC &description);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override;

    // IStreamSample
    HRESULT STDMETHODCALLTYPE GetMediaStream(IMediaStream **stream) override;
    HRESULT STDMETHODCALLTYPE GetSampleTimes(STREAM_TIME *start, STREAM_TIME *end, STREAM_TIME *current) override;
    HRESULT STDMETHODCALLTYPE SetSampleTimes(const STREAM_TIME *start, const STREAM_TIME *end) override;
    HRESULT STDMETHODCALLTYPE Update(DWORD flags, HANDLE event, PAPCFUNC apc, DWORD apcData) override;
    HRESULT STDMETHODCALLTYPE CompletionStatus(DWORD flags, DWORD milliseconds) override;

    // IDirectDrawStreamSample
    HRESULT STDMETHODCALLTYPE GetSurface(IDirectDrawSurface **surface, RECT *rect) override;
    HRESULT STDMETHODCALLTYPE SetRect(const RECT *rect) override;

private:
    // Withdraws a pending update before letting go of the surface.
    ~DdrawStreamSample() override;

    // `bound(decoder)` once the stream has a decoding thread, otherwise
    // `unbound(update_)` with bindMutex_ held.
    template <typename Bound, typename Unbound>
    auto WithUpdate(Bound bound, Unbound unbound);

    DdrawMediaStream &stream_;
    std::mutex bindMutex_;
    std::atomic<DecodingThread *> decoder_{nullptr};  // set once, never cleared
    IDirectDrawSurface *const surface_;
    const DWORD surfaceWidth_, surfaceHeight_;
    SampleUpdate update_;  // guarded by bindMutex_, then by the decoding thread's mutex
};

}  // namespace standin::mmstream
