// The multimedia stream object behind CLSID_AMMultiMediaStream: reads one
// movie file, feeds its video to a DirectDraw media stream and plays its
// sound on the default audio renderer.
#pragma once

#include <memory>
#include <mutex>
#include <optional>

#include <amstream.h>

#include "common/com_object.h"
#include "mmstream/source/movie_info.h"
#include "mmstream/clock/stream_clock.h"
#include "mmstream/picture/decoding_thread_owner.h"

namespace standin::mmstream {

class AudioRenderer;
class DdrawMediaStream;

class MultimediaStream : public ComObject<IAMMultiMediaStream> {
public:
    MultimediaStream();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override;

    // IMultiMediaStream
    HRESULT STDMETHODCALLTYPE GetInformation(DWORD *flags, STREAM_TYPE *type) override;
    HRESULT STDMETHODCALLTYPE GetMediaStream(REFMSPID purpose, IMediaStream **stream) override;
    HRESULT STDMETHODCALLTYPE EnumMediaStreams(LONG index, IMediaStream **stream) override;
    HRESULT STDMETHODCALLTYPE GetState(STREAM_STATE *state) override;
    HRESULT STDMETHODCALLTYPE SetState(STREAM_STATE state) override;
    HRESULT STDMETHODCALLTYPE GetTime(STREAM_TIME *time) override;
    HRESULT STDMETHODCALLTYPE GetDuration(STREAM_TIME *duration) override;
    HRESULT STDMETHODCALLTYPE Seek(STREAM_TIME time) override;
    HRESULT STDMETHODCALLTYPE GetEndOfStreamEventHandle(HANDLE *event) override;

    // IAMMultiMediaStream
    HRESULT STDMETHODCALLTYPE Initialize(STREAM_TYPE type, DWORD flags, IGraphBuilder *graph) override;
    HRESULT STDMETHODCALLTYPE GetFilterGraph(IGraphBuilder **graph) override;
    HRESULT STDMETHODCALLTYPE GetFilter(IMediaStreamFilter **filter) override;
    HRESULT STDMETHODCALLTYPE AddMediaStream(IUnknown *streamObject, const MSPID *purpose, DWORD flags,
                                             IMediaStream **newStream) override;
    HRESULT STDMETHODCALLTYPE OpenFile(LPCWSTR fileName, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE OpenMoniker(IBindCtx *context, IMoniker *moniker, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Render(DWORD flags) override;

    // For the video stream and its samples.
    StreamClock &Clock() { return clock_; }
    // As Initialize set it; STREAMTYPE_READ until then.
    STREAM_TYPE Type();
    // The open movie and the thread decoding it; false before OpenFile.
    bool OpenMovie(MovieInfo *info, DecodingThread **decoder);

private:
    ~MultimediaStream() override;
    HRESULT AddVideo(IDirectDraw *directDraw, IMediaStream **newStream);
    HRESULT AddAudio(DWORD flags, IMediaStream **newStream);
    // OpenFile's streams when no video stream was added; S_OK to go on.
    HRESULT AddDefaultStreams(DWORD flags);
    void ClockChanged();

    std::mutex mutex_;  // guards everything below but the clock
    StreamClock clock_;
    std::unique_ptr<DdrawMediaStream> video_;
    std::unique_ptr<AudioRenderer> audio_;  // null also when there is no device
    std::optional<STREAM_TYPE> type_;  // set by Initialize
    bool opening_ = false;  // an OpenFile is under way, with the mutex released
    std::optional<MovieInfo> movie_;
    DecodingThreadOwner decoder_;
    const HANDLE endOfStream_;  // null when no event could be made
};

}  // namespace standin::mmstream
