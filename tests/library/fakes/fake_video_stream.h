// The primary video stream: a plain media stream whose DirectDraw interface
// is a separate object, so the log tells the two references apart.
#pragma once

#include <deque>
#include <vector>

#include <ddstream.h>

#include "fakes/fake_object.h"

namespace fakes {

class FakeStreamSample final : public FakeObject<IDirectDrawStreamSample> {
public:
    explicit FakeStreamSample(CallLog *log) : FakeObject(log, "sample", IID_IDirectDrawStreamSample) {}

    // Each Update or CompletionStatus call takes the next result of its
    // script; once a script runs out, the call answers updateResult.
    HRESULT updateResult = S_OK;
    std::deque<HRESULT> updateScript;
    std::deque<HRESULT> completionScript;
    struct UpdateCall {
        DWORD flags;
        HANDLE event;
        PAPCFUNC apc;
        DWORD_PTR apcData;
    };
    std::vector<UpdateCall> updates;
    struct CompletionCall {
        DWORD flags;
        DWORD milliseconds;
    };
    std::vector<CompletionCall> completions;

    HRESULT STDMETHODCALLTYPE GetMediaStream(IMediaStream **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSampleTimes(STREAM_TIME *, STREAM_TIME *, STREAM_TIME *) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetSampleTimes(const STREAM_TIME *, const STREAM_TIME *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Update(DWORD flags, HANDLE event, PAPCFUNC apc, DWORD apcData) override {
        record("Update(" + std::to_string(flags) + ")");
        updates.push_back({flags, event, apc, apcData});
        return next(updateScript);
    }
    HRESULT STDMETHODCALLTYPE CompletionStatus(DWORD flags, DWORD milliseconds) override {
        record("CompletionStatus");
        completions.push_back({flags, milliseconds});
        return next(completionScript);
    }
    HRESULT STDMETHODCALLTYPE GetSurface(IDirectDrawSurface **, RECT *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetRect(const RECT *) override { return E_NOTIMPL; }

private:
    HRESULT next(std::deque<HRESULT> &script) {
        if (script.empty()) return updateResult;
        const HRESULT result = script.front();
        script.pop_front();
        return result;
    }
};

class FakeDirectDrawMediaStream final : public FakeObject<IDirectDrawMediaStream> {
public:
    explicit FakeDirectDrawMediaStream(CallLog *log);

    // Script.
    HRESULT formatResult = S_OK;
    DDSURFACEDESC format;                      // copied into the current-format argument
    IDirectDrawPalette *palette = nullptr;     // handed out with a reference
    STREAM_TIME timePerFrame = 0;
    IDirectDrawStreamSample *sample = nullptr; // handed out by CreateSample

    // What the library passed.
    struct FormatCall {
        DWORD currentSize;
        DWORD currentFlags;
        bool paletteOut;
        bool desired;
        bool flagsOut;
    };
    std::vector<FormatCall> formatCalls;
    IDirectDrawSurface *sampleSurface = nullptr;
    RECT sampleRect = {-1, -1, -1, -1};
    DWORD sampleFlags = ~0u;

    HRESULT STDMETHODCALLTYPE GetMultiMediaStream(IMultiMediaStream **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetInformation(MSPID *, STREAM_TYPE *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSameFormat(IMediaStream *, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AllocateSample(DWORD, IStreamSample **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateSharedSample(IStreamSample *, DWORD, IStreamSample **) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SendEndOfStream(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFormat(DDSURFACEDESC *current, IDirectDrawPalette **paletteOut,
                                        DDSURFACEDESC *desired, DWORD *flags) override;
    HRESULT STDMETHODCALLTYPE SetFormat(const DDSURFACEDESC *, IDirectDrawPalette *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDirectDraw(IDirectDraw **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetDirectDraw(IDirectDraw *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateSample(IDirectDrawSurface *surface, const RECT *rect, DWORD flags,
                                           IDirectDrawStreamSample **out) override;
    HRESULT STDMETHODCALLTYPE GetTimePerFrame(STREAM_TIME *frameTime) override;
};

class FakeMediaStream final : public FakeObject<IMediaStream> {
public:
    FakeMediaStream(CallLog *log, FakeDirectDrawMediaStream *ddStream)
        : FakeObject(log, "video", IID_IMediaStream), ddStream_(ddStream) {}

    bool refuseDirectDraw = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override {
        if (riid != IID_IDirectDrawMediaStream) return FakeObject::QueryInterface(riid, out);
        record("QueryInterface(ddstream)");
        *out = nullptr;
        if (refuseDirectDraw) return E_NOINTERFACE;
        ddStream_->AddRef();
        *out = static_cast<IDirectDrawMediaStream *>(ddStream_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMultiMediaStream(IMultiMediaStream **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetInformation(MSPID *, STREAM_TYPE *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSameFormat(IMediaStream *, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AllocateSample(DWORD, IStreamSample **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateSharedSample(IStreamSample *, DWORD, IStreamSample **) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SendEndOfStream(DWORD) override { return E_NOTIMPL; }

private:
    FakeDirectDrawMediaStream *ddStream_;
};

}  // namespace fakes
