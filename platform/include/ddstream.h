// DirectDraw media streams and their samples.
#pragma once

#include "ddraw.h"
#include "mmstream.h"

DEFINE_GUID(IID_IDirectDrawMediaStream, 0xf4104fce, 0x9a70, 0x11d0, 0x8f, 0xde, 0x00, 0xc0, 0x4f, 0xd9, 0x18, 0x9d);
DEFINE_GUID(IID_IDirectDrawStreamSample, 0xf4104fcf, 0x9a70, 0x11d0, 0x8f, 0xde, 0x00, 0xc0, 0x4f, 0xd9, 0x18, 0x9d);

enum {
    DDSFF_PROGRESSIVERENDER = 0x1
};

struct IDirectDrawStreamSample;

struct IDirectDrawMediaStream : public IMediaStream {
    virtual HRESULT STDMETHODCALLTYPE GetFormat(DDSURFACEDESC *pDDSDCurrent, IDirectDrawPalette **ppDirectDrawPalette,
                                                DDSURFACEDESC *pDDSDDesired, DWORD *pdwFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFormat(const DDSURFACEDESC *pDDSurfaceDesc,
                                                IDirectDrawPalette *pDirectDrawPalette) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDirectDraw(IDirectDraw **ppDirectDraw) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDirectDraw(IDirectDraw *pDirectDraw) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateSample(IDirectDrawSurface *pSurface, const RECT *pRect, DWORD dwFlags,
                                                   IDirectDrawStreamSample **ppSample) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTimePerFrame(STREAM_TIME *pFrameTime) = 0;

protected:
    ~IDirectDrawMediaStream() = default;
};

struct IDirectDrawStreamSample : public IStreamSample {
    virtual HRESULT STDMETHODCALLTYPE GetSurface(IDirectDrawSurface **ppDirectDrawSurface, RECT *pRect) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRect(const RECT *pRect) = 0;

protected:
    ~IDirectDrawStreamSample() = default;
};
