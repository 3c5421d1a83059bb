// createStreamSample and freeStreamSample: the record from open to teardown.
#include <cstdio>
#include <cstdlib>

#include "common/surface_desc.h"
#include "stream/advancing_sample.h"
#include "stream/render_file.h"
#include "stream/stream_format.h"
#include "stream/stream_sample.h"

namespace {

template <class Interface>
void releaseIfSet(Interface *object) {
    if (object != nullptr) object->Release();
}

// Makes the frame surface in the stream's own format and the sample that
// decodes into it. False when any piece is missing.
bool makeFrameSurface(StreamSample *stream) {
    if (FAILED(stream->videoStream->QueryInterface(IID_IDirectDrawMediaStream,
                                                   reinterpret_cast<void **>(&stream->ddStream))) ||
        stream->ddStream == nullptr)
        return false;

    DDSURFACEDESC current = blankSurfaceDesc();
    DDSURFACEDESC desired = blankSurfaceDesc();
    DWORD formatFlags = 0;
    if (FAILED(readStreamFormat(stream, &current, &desired, &formatFlags))) return false;

    stream->ddStream->GetTimePerFrame(&stream->frameTime);
    stream->frameRect.left = 0;
    stream->frameRect.top = 0;
    stream->frameRect.right = static_cast<LONG>(current.dwWidth);
    stream->frameRect.bottom = static_cast<LONG>(current.dwHeight);

    if (FAILED(stream->directDraw->CreateSurface(&current, &stream->surface, nullptr)) ||
        stream->surface == nullptr)
        return false;

    stream->ddStream->CreateSample(stream->surface, &stream->frameRect, DDSFF_PROGRESSIVERENDER, &stream->sample);
    return stream->sample != nullptr;
}

StreamSample *failOpen(StreamSample *stream) {
    freeStreamSample(stream);
    return nullptr;
}

}  // namespace

StreamSample *VIDSURF_CALL createStreamSample(const char *fileName, HWND hwnd, IDirectDraw *directDraw) {
    auto *stream = static_cast<StreamSample *>(std::calloc(1, sizeof(StreamSample)));
    if (stream == nullptr) return nullptr;
    stream->hwnd = hwnd;
    stream->directDraw = directDraw;
    stream->comInitResult = CoInitialize(nullptr);

    RenderFileToMMStream(fileName, &stream->mmStream, directDraw);
    if (stream->mmStream == nullptr) {
        std::fprintf(stderr, "Error in create MMStream for %s\n", fileName);
        return failOpen(stream);
    }

    stream->mmStream->GetMediaStream(MSPID_PrimaryVideo, &stream->videoStream);
    if (stream->videoStream == nullptr) return failOpen(stream);
    stream->mmStream->GetDuration(&stream->duration);
    if (!makeFrameSurface(stream)) return failOpen(stream);

    // The first frame, synchronously; its status is left for the first tick.
    stream->updateStatus = advancingSample(stream, 0);
    streamPalette(stream, nullptr);
    return stream;
}

void VIDSURF_CALL freeStreamSample(StreamSample *stream) {
    if (stream == nullptr) return;
    // Stopped first, so no decode is running while the pieces go.
    if (stream->mmStream != nullptr) stream->mmStream->SetState(STREAMSTATE_STOP);

    releaseIfSet(stream->sample);
    releaseStreamPalette(stream);
    releaseIfSet(stream->ddStream);
    releaseIfSet(stream->videoStream);
    releaseIfSet(stream->mmStream);
    releaseIfSet(stream->surface);
    releaseIfSet(stream->backSurface);
    if (stream->hPalette != nullptr) DeleteObject(stream->hPalette);
    std::free(stream->logPalette);

    if (SUCCEEDED(stream->comInitResult)) CoUninitialize();
    std::free(stream);
}
