// The multimedia stream object (CLSID_AMMultiMediaStream) and its flags.
#pragma once

#include "ddstream.h"
#include "mmstream.h"

DEFINE_GUID(IID_IAMMultiMediaStream, 0xbebe595c, 0x9a6f, 0x11d0, 0x8f, 0xde, 0x00, 0xc0, 0x4f, 0xd9, 0x18, 0x9d);
DEFINE_GUID(CLSID_AMMultiMediaStream, 0x49c47ce5, 0x9ba4, 0x11d0, 0x82, 0x12, 0x00, 0xc0, 0x4f, 0xc3, 0x2c, 0x45);

enum {
    AMMSF_NOGRAPHTHREAD = 0x1
};

enum {
    AMMSF_ADDDEFAULTRENDERER = 0x1,
    AMMSF_CREATEPEER = 0x2,
    AMMSF_STOPIFNOSAMPLES = 0x4,
    AMMSF_NOSTALL = 0x8
};

enum {
    AMMSF_RENDERTYPEMASK = 0x3,
    AMMSF_RENDERTOEXISTING = 0x0,
    AMMSF_RENDERALLSTREAMS = 0x1,
    AMMSF_NORENDER = 0x2,
    AMMSF_NOCLOCK = 0x4,
    AMMSF_RUN = 0x8
};

// DirectShow graph objects; the stand-in runs no filter graph, so these
// stay incomplete and the methods taking them answer E_NOTIMPL.
struct IGraphBuilder;
struct IMediaStreamFilter;
struct IBindCtx;
struct IMoniker;

struct IAMMultiMediaStream : public IMultiMediaStream {
    virtual HRESULT STDMETHODCALLTYPE Initialize(STREAM_TYPE StreamType, DWORD dwFlags,
                                                 IGraphBuilder *pFilterGraph) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFilterGraph(IGraphBuilder **ppGraphBuilder) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFilter(IMediaStreamFilter **ppFilter) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddMediaStream(IUnknown *pStreamObject, const MSPID *PurposeId, DWORD dwFlags,
                                                     IMediaStream **ppNewStream) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenFile(LPCWSTR pszFileName, DWORD dwFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenMoniker(IBindCtx *pCtx, IMoniker *pMoniker, DWORD dwFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Render(DWORD dwFlags) = 0;

protected:
    ~IAMMultiMediaStream() = default;
};
