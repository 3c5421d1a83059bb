// Multimedia streaming: the generic stream, sample and media-stream interfaces.
#pragma once

#include "windows.h"

#define MS_ERROR_CODE(x) MAKE_HRESULT(1, FACILITY_ITF, (x) + 0x400)
#define MS_SUCCESS_CODE(x) MAKE_HRESULT(0, FACILITY_ITF, x)
#define MS_S_PENDING MS_SUCCESS_CODE(1)
#define MS_S_NOUPDATE MS_SUCCESS_CODE(2)
#define MS_S_ENDOFSTREAM MS_SUCCESS_CODE(3)
#define MS_E_SAMPLEALLOC MS_ERROR_CODE(1)
#define MS_E_PURPOSEID MS_ERROR_CODE(2)
#define MS_E_NOSTREAM MS_ERROR_CODE(3)
#define MS_E_NOSEEKING MS_ERROR_CODE(4)
#define MS_E_INCOMPATIBLE MS_ERROR_CODE(5)
#define MS_E_BUSY MS_ERROR_CODE(6)
#define MS_E_NOTINIT MS_ERROR_CODE(7)
#define MS_E_SOURCEALREADYDEFINED MS_ERROR_CODE(8)
#define MS_E_INVALIDSTREAMTYPE MS_ERROR_CODE(9)
#define MS_E_NOTRUNNING MS_ERROR_CODE(10)

DEFINE_GUID(MSPID_PrimaryVideo, 0xa35ff56a, 0x9fda, 0x11d0, 0x8f, 0xdf, 0x0, 0xc0, 0x4f, 0xd9, 0x18, 0x9d);
DEFINE_GUID(MSPID_PrimaryAudio, 0xa35ff56b, 0x9fda, 0x11d0, 0x8f, 0xdf, 0x0, 0xc0, 0x4f, 0xd9, 0x18, 0x9d);
DEFINE_GUID(IID_IMultiMediaStream, 0xb502d1bc, 0x9a57, 0x11d0, 0x8f, 0xde, 0x00, 0xc0, 0x4f, 0xd9, 0x18, 0x9d);
DEFINE_GUID(IID_IMediaStream, 0xb502d1bd, 0x9a57, 0x11d0, 0x8f, 0xde, 0x00, 0xc0, 0x4f, 0xd9, 0x18, 0x9d);
DEFINE_GUID(IID_IStreamSample, 0xb502d1be, 0x9a57, 0x11d0, 0x8f, 0xde, 0x00, 0xc0, 0x4f, 0xd9, 0x18, 0x9d);

typedef void(CALLBACK *PAPCFUNC)(ULONG_PTR dwParam);
typedef LONGLONG STREAM_TIME;
typedef GUID MSPID;
typedef REFGUID REFMSPID;

typedef enum {
    STREAMTYPE_READ = 0,
    STREAMTYPE_WRITE = 1,
    STREAMTYPE_TRANSFORM = 2
} STREAM_TYPE;

typedef enum {
    STREAMSTATE_STOP = 0,
    STREAMSTATE_RUN = 1
} STREAM_STATE;

typedef enum {
    COMPSTAT_NOUPDATEOK = 0x1,
    COMPSTAT_WAIT = 0x2,
    COMPSTAT_ABORT = 0x4
} COMPLETION_STATUS_FLAGS;

enum {
    MMSSF_HASCLOCK = 0x1,
    MMSSF_SUPPORTSEEK = 0x2,
    MMSSF_ASYNCHRONOUS = 0x4
};

enum {
    SSUPDATE_ASYNC = 0x1,
    SSUPDATE_CONTINUOUS = 0x2
};

struct IMultiMediaStream;
struct IMediaStream;
struct IStreamSample;

struct IMultiMediaStream : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetInformation(DWORD *pdwFlags, STREAM_TYPE *pStreamType) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMediaStream(REFMSPID idPurpose, IMediaStream **ppMediaStream) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumMediaStreams(LONG Index, IMediaStream **ppMediaStream) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetState(STREAM_STATE *pCurrentState) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetState(STREAM_STATE NewState) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTime(STREAM_TIME *pCurrentTime) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDuration(STREAM_TIME *pDuration) = 0;
    virtual HRESULT STDMETHODCALLTYPE Seek(STREAM_TIME SeekTime) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEndOfStreamEventHandle(HANDLE *phEOS) = 0;

protected:
    ~IMultiMediaStream() = default;
};

struct IMediaStream : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetMultiMediaStream(IMultiMediaStream **ppMultiMediaStream) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInformation(MSPID *pPurposeId, STREAM_TYPE *pType) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSameFormat(IMediaStream *pStreamThatHasDesiredFormat, DWORD dwFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE AllocateSample(DWORD dwFlags, IStreamSample **ppSample) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateSharedSample(IStreamSample *pExistingSample, DWORD dwFlags,
                                                         IStreamSample **ppNewSample) = 0;
    virtual HRESULT STDMETHODCALLTYPE SendEndOfStream(DWORD dwFlags) = 0;

protected:
    ~IMediaStream() = default;
};

struct IStreamSample : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetMediaStream(IMediaStream **ppMediaStream) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSampleTimes(STREAM_TIME *pStartTime, STREAM_TIME *pEndTime,
                                                     STREAM_TIME *pCurrentTime) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSampleTimes(const STREAM_TIME *pStartTime, const STREAM_TIME *pEndTime) = 0;
    virtual HRESULT STDMETHODCALLTYPE Update(DWORD dwFlags, HANDLE hEvent, PAPCFUNC pfnAPC, DWORD dwAPCData) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompletionStatus(DWORD dwFlags, DWORD dwMilliseconds) = 0;

protected:
    ~IStreamSample() = default;
};
