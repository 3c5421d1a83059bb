// A scripted multimedia stream object: records how it is opened and driven.
#pragma once

#include <string>
#include <vector>

#include <amstream.h>

#include "fakes/fake_object.h"

namespace fakes {

struct AddedStream {
    IUnknown *streamObject;
    MSPID purpose;
    DWORD flags;
    IMediaStream **newStream;
};

class FakeMultiMediaStream final : public FakeObject<IAMMultiMediaStream> {
public:
    explicit FakeMultiMediaStream(CallLog *log) : FakeObject(log, "mm", IID_IAMMultiMediaStream) {}

    // Script.
    HRESULT openResult = S_OK;
    IMediaStream *videoStream = nullptr;  // handed out by GetMediaStream(MSPID_PrimaryVideo)
    STREAM_TIME duration = 0;
    STREAM_TIME clock = 0;               // what GetTime reports
    HRESULT getStateResult = S_OK;

    // What the library did.
    STREAM_STATE state = STREAMSTATE_STOP;
    std::vector<STREAM_STATE> statesSet;
    std::vector<STREAM_TIME> seeks;
    std::vector<AddedStream> added;
    std::u16string openedName;
    DWORD openFlags = ~0u;
    STREAM_TYPE initType = STREAMTYPE_TRANSFORM;
    DWORD initFlags = ~0u;
    IGraphBuilder *initGraph = reinterpret_cast<IGraphBuilder *>(1);

    // IMultiMediaStream
    HRESULT STDMETHODCALLTYPE GetInformation(DWORD *, STREAM_TYPE *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMediaStream(REFMSPID purpose, IMediaStream **stream) override;
    HRESULT STDMETHODCALLTYPE EnumMediaStreams(LONG, IMediaStream **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetState(STREAM_STATE *current) override;
    HRESULT STDMETHODCALLTYPE SetState(STREAM_STATE newState) override;
    HRESULT STDMETHODCALLTYPE GetTime(STREAM_TIME *now) override;
    HRESULT STDMETHODCALLTYPE GetDuration(STREAM_TIME *length) override;
    HRESULT STDMETHODCALLTYPE Seek(STREAM_TIME to) override;
    HRESULT STDMETHODCALLTYPE GetEndOfStreamEventHandle(HANDLE *) override { return E_NOTIMPL; }

    // IAMMultiMediaStream
    HRESULT STDMETHODCALLTYPE Initialize(STREAM_TYPE type, DWORD flags, IGraphBuilder *graph) override;
    HRESULT STDMETHODCALLTYPE GetFilterGraph(IGraphBuilder **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFilter(IMediaStreamFilter **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddMediaStream(IUnknown *streamObject, const MSPID *purpose, DWORD flags,
                                             IMediaStream **newStream) override;
    HRESULT STDMETHODCALLTYPE OpenFile(LPCWSTR name, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE OpenMoniker(IBindCtx *, IMoniker *, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Render(DWORD) override { return E_NOTIMPL; }
};

}  // namespace fakes
