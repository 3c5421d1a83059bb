#include "fakes/fake_multimedia_stream.h"

namespace fakes {

HRESULT FakeMultiMediaStream::GetMediaStream(REFMSPID purpose, IMediaStream **stream) {
    record(purpose == MSPID_PrimaryVideo ? "GetMediaStream(video)" : "GetMediaStream(other)");
    *stream = nullptr;
    if (purpose != MSPID_PrimaryVideo || videoStream == nullptr) return MS_E_NOSTREAM;
    videoStream->AddRef();
    *stream = videoStream;
    return S_OK;
}

HRESULT FakeMultiMediaStream::GetState(STREAM_STATE *current) {
    record("GetState");
    *current = state;
    return getStateResult;
}

HRESULT FakeMultiMediaStream::SetState(STREAM_STATE newState) {
    record("SetState(" + std::to_string(newState) + ")");
    statesSet.push_back(newState);
    state = newState;
    return S_OK;
}

HRESULT FakeMultiMediaStream::GetTime(STREAM_TIME *now) {
    record("GetTime");
    *now = clock;
    return S_OK;
}

HRESULT FakeMultiMediaStream::GetDuration(STREAM_TIME *length) {
    record("GetDuration");
    *length = duration;
    return S_OK;
}

HRESULT FakeMultiMediaStream::Seek(STREAM_TIME to) {
    record("Seek(" + std::to_string(to) + ")");
    seeks.push_back(to);
    return S_OK;
}

HRESULT FakeMultiMediaStream::Initialize(STREAM_TYPE type, DWORD flags, IGraphBuilder *graph) {
    record("Initialize");
    initType = type;
    initFlags = flags;
    initGraph = graph;
    return S_OK;
}

HRESULT FakeMultiMediaStream::AddMediaStream(IUnknown *streamObject, const MSPID *purpose, DWORD flags,
                                             IMediaStream **newStream) {
    record("AddMediaStream");
    added.push_back({streamObject, *purpose, flags, newStream});
    return S_OK;
}

HRESULT FakeMultiMediaStream::OpenFile(LPCWSTR name, DWORD flags) {
    record("OpenFile");
    openedName = name;
    openFlags = flags;
    return openResult;
}

}  // namespace fakes
