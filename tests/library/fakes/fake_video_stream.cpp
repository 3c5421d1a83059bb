#include "fakes/fake_video_stream.h"

#include <cstring>

namespace fakes {

FakeDirectDrawMediaStream::FakeDirectDrawMediaStream(CallLog *log)
    : FakeObject(log, "ddstream", IID_IDirectDrawMediaStream) {
    std::memset(&format, 0, sizeof format);
}

HRESULT FakeDirectDrawMediaStream::GetFormat(DDSURFACEDESC *current, IDirectDrawPalette **paletteOut,
                                             DDSURFACEDESC *desired, DWORD *flags) {
    record("GetFormat");
    formatCalls.push_back({current != nullptr ? current->dwSize : 0u, current != nullptr ? current->dwFlags : 0u,
                           paletteOut != nullptr, desired != nullptr, flags != nullptr});
    if (paletteOut != nullptr) *paletteOut = nullptr;
    if (FAILED(formatResult)) return formatResult;
    if (current != nullptr) {
        const DWORD size = current->dwSize;
        *current = format;
        current->dwSize = size;
    }
    if (desired != nullptr) desired->dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
    if (flags != nullptr) *flags = 0;
    if (paletteOut != nullptr && palette != nullptr) {
        palette->AddRef();
        *paletteOut = palette;
    }
    return formatResult;
}

HRESULT FakeDirectDrawMediaStream::CreateSample(IDirectDrawSurface *surface, const RECT *rect, DWORD flags,
                                                IDirectDrawStreamSample **out) {
    record("CreateSample");
    sampleSurface = surface;
    if (rect != nullptr) sampleRect = *rect;
    sampleFlags = flags;
    *out = nullptr;
    if (sample == nullptr) return E_FAIL;
    sample->AddRef();
    *out = sample;
    return S_OK;
}

HRESULT FakeDirectDrawMediaStream::GetTimePerFrame(STREAM_TIME *frameTime) {
    record("GetTimePerFrame");
    *frameTime = timePerFrame;
    return S_OK;
}

}  // namespace fakes
