// The primary video stream: frames for DirectDraw surfaces.
//
// The stream is a part of its multimedia stream and shares its reference
// count, so a reference on either keeps both alive.
#pragma once

#include <mutex>

#include <ddstream.h>

#include "common/com_ref.h"
#include "mmstream/com/stream_format.h"

namespace standin::mmstream {

class MultimediaStream;

class DdrawMediaStream final : public IDirectDrawMediaStream {
public:
    // Holds a reference on `directDraw` (until SetDirectDraw changes it).
    DdrawMediaStream(MultimediaStream &owner, IDirectDraw *directDraw);
    ~DdrawMediaStream();
    DdrawMediaStream(const DdrawMediaStream &) = delete;
    DdrawMediaStream &operator=(const DdrawMediaStream &) = delete;

    MultimediaStream &Owner() { return owner_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IMediaStream
    HRESULT STDMETHODCALLTYPE GetMultiMediaStream(IMultiMediaStream **stream) override;
    HRESULT STDMETHODCALLTYPE GetInformation(MSPID *purpose, STREAM_TYPE *type) override;
    HRESULT STDMETHODCALLTYPE SetSameFormat(IMediaStream *other, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE AllocateSample(DWORD flags, IStreamSample **sample) override;
    HRESULT STDMETHODCALLTYPE CreateSharedSample(IStreamSample *existing, DWORD flags,
                                                 IStreamSample **sample) override;
    HRESULT STDMETHODCALLTYPE SendEndOfStream(DWORD flags) override;

    // IDirectDrawMediaStream
    HRESULT STDMETHODCALLTYPE GetFormat(DDSURFACEDESC *current, IDirectDrawPalette **palette,
                                        DDSURFACEDESC *desired, DWORD *flags) override;
    HRESULT STDMETHODCALLTYPE SetFormat(const DDSURFACEDESC *format, IDirectDrawPalette *palette) override;
    HRESULT STDMETHODCALLTYPE GetDirectDraw(IDirectDraw **directDraw) override;
    HRESULT STDMETHODCALLTYPE SetDirectDraw(IDirectDraw *directDraw) override;
    HRESULT STDMETHODCALLTYPE CreateSample(IDirectDrawSurface *surface, const RECT *rect, DWORD flags,
                                           IDirectDrawStreamSample **sample) override;
    HRESULT STDMETHODCALLTYPE GetTimePerFrame(STREAM_TIME *frameTime) override;

    // Samples count themselves in and out; the DirectDraw object cannot
    // change while any exists.
    void SampleCreated();
    void SampleGone();

private:
    // The format samples are made in (see StreamFormat); `open` (may be
    // null) tells whether a movie is open.
    HRESULT CurrentFormat(DDSURFACEDESC *format, bool *open = nullptr);
    // The movie's palette, made on first demand; S_FALSE and no palette
    // before a movie brings its colours.
    HRESULT Palette(IDirectDrawPalette **palette);
    // directDraw_ with a reference for the caller, made first if the host
    // let go of it.
    HRESULT HeldDirectDraw(ComRef<IDirectDraw> *held);

    MultimediaStream &owner_;
    std::mutex mutex_;  // guards the fields below
    IDirectDraw *directDraw_;  // null after SetDirectDraw(NULL)
    IDirectDrawPalette *palette_ = nullptr;  // made on first demand
    StreamFormat format_;
    int samples_ = 0;
};

}  // namespace standin::mmstream
