#include "movie_stream.h"

#include <cstdio>

namespace {

std::string Failed(const char *what, HRESULT hr) {
    char text[96];
    std::snprintf(text, sizeof text, "%s failed: 0x%08lx", what, static_cast<unsigned long>(hr));
    return text;
}

}  // namespace

MovieStream::MovieStream(IDirectDraw *directDraw) : directDraw_(directDraw) {
    comStarted_ = SUCCEEDED(CoInitialize(nullptr));
}

MovieStream::~MovieStream() {
    Close();
    if (comStarted_) CoUninitialize();
}

void MovieStream::Close() {
    // The library's order: sample, video stream, multimedia stream, surface.
    if (mm_) mm_->SetState(STREAMSTATE_STOP);
    if (sample_) sample_->Release();
    if (ddStream_) ddStream_->Release();
    if (mm_) mm_->Release();
    if (surface_) surface_->Release();
    sample_ = nullptr;
    ddStream_ = nullptr;
    mm_ = nullptr;
    surface_ = nullptr;
}

bool MovieStream::Open(const std::string &path, std::string *error, bool withAudio) {
    HRESULT hr = CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                                  reinterpret_cast<void **>(&mm_));
    if (FAILED(hr)) return *error = Failed("CoCreateInstance", hr), false;
    mm_->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, nullptr);
    mm_->AddMediaStream(directDraw_, &MSPID_PrimaryVideo, 0, nullptr);
    if (withAudio) mm_->AddMediaStream(nullptr, &MSPID_PrimaryAudio, AMMSF_ADDDEFAULTRENDERER, nullptr);
    const std::u16string wide(path.begin(), path.end());
    if (FAILED(hr = mm_->OpenFile(wide.c_str(), 0))) return *error = Failed("OpenFile", hr), false;

    IMediaStream *video = nullptr;
    if (FAILED(hr = mm_->GetMediaStream(MSPID_PrimaryVideo, &video)))
        return *error = Failed("GetMediaStream", hr), false;
    hr = video->QueryInterface(IID_IDirectDrawMediaStream, reinterpret_cast<void **>(&ddStream_));
    video->Release();
    if (FAILED(hr)) return *error = Failed("QueryInterface", hr), false;

    DDSURFACEDESC format{};
    format.dwSize = sizeof format;
    if (FAILED(hr = ddStream_->GetFormat(&format, nullptr, nullptr, nullptr)))
        return *error = Failed("GetFormat", hr), false;
    if (FAILED(hr = directDraw_->CreateSurface(&format, &surface_, nullptr)))
        return *error = Failed("CreateSurface", hr), false;
    RECT rect{0, 0, static_cast<LONG>(format.dwWidth), static_cast<LONG>(format.dwHeight)};
    if (FAILED(hr = ddStream_->CreateSample(surface_, &rect, 0, &sample_)))
        return *error = Failed("CreateSample", hr), false;
    return true;
}

void MovieStream::Run() { mm_->SetState(STREAMSTATE_RUN); }

HRESULT MovieStream::Update() { return sample_->Update(0, nullptr, nullptr, 0); }

void MovieStream::Rewind() { mm_->Seek(0); }
