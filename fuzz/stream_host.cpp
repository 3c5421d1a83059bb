#include "hosts.h"

#include <amstream.h>
#include <ddraw.h>
#include <ddstream.h>
#include <objbase.h>
#include <windows.h>

#include "com_ref.h"

namespace fuzzhost {
namespace {

// With the free clock each update shows the next frame, so these bound a run
// whatever length the file claims.
constexpr int kUpdatesBeforeSeek = 120;
constexpr int kUpdatesAfterSeek = 40;

void Run(IAMMultiMediaStream *mm) {
    STREAM_STATE state = STREAMSTATE_STOP;
    if (mm->GetState(&state) != S_OK || state != STREAMSTATE_RUN) mm->SetState(STREAMSTATE_RUN);
}

// Failures other than the end go on: a host that plays to the end keeps
// updating.
void UpdateUntilEnd(IAMMultiMediaStream *mm, IDirectDrawStreamSample *sample, int most, PlayOutcome *outcome) {
    Run(mm);
    for (int i = 0; i < most; ++i) {
        ++outcome->updates;
        if (sample->Update(0, nullptr, nullptr, 0) == MS_S_ENDOFSTREAM) {
            ++outcome->ends;
            return;
        }
    }
}

// Reads every pixel the surface claims to have, as a host blitting it would,
// so that a description larger than the memory behind it shows.
void ReadSamplePixels(IDirectDrawStreamSample *sample) {
    ComRef<IDirectDrawSurface> surface;
    RECT rect{};
    if (sample->GetSurface(surface.put(), &rect) != S_OK || !surface) return;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK) return;
    const auto *pixels = static_cast<const volatile unsigned char *>(desc.lpSurface);
    const size_t rowBytes = static_cast<size_t>(desc.dwWidth) * (desc.ddpfPixelFormat.dwRGBBitCount / 8);
    // Volatile reads: the compiler keeps every one.
    for (DWORD y = 0; pixels && y < desc.dwHeight; ++y)
        for (size_t x = 0; x < rowBytes; ++x) (void)pixels[static_cast<ptrdiff_t>(y) * desc.lPitch + x];
    surface->Unlock(desc.lpSurface);
}

void Play(IDirectDraw *directDraw, const std::u16string &name, PlayOutcome *outcome) {
    ComRef<IAMMultiMediaStream> mm;
    if (CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                         mm.putVoid()) != S_OK)
        return;
    if (mm->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, nullptr) != S_OK) return;
    if (mm->AddMediaStream(directDraw, &MSPID_PrimaryVideo, 0, nullptr) != S_OK) return;
    // No sound device is fine: the movie then plays silent.
    mm->AddMediaStream(nullptr, &MSPID_PrimaryAudio, AMMSF_ADDDEFAULTRENDERER, nullptr);
    outcome->opened = mm->OpenFile(name.c_str(), 0);
    if (outcome->opened != S_OK) return;

    ComRef<IMediaStream> video;
    ComRef<IDirectDrawMediaStream> ddStream;
    if (mm->GetMediaStream(MSPID_PrimaryVideo, video.put()) != S_OK || !video) return;
    if (video->QueryInterface(IID_IDirectDrawMediaStream, ddStream.putVoid()) != S_OK || !ddStream) return;
    DDSURFACEDESC format{};
    format.dwSize = sizeof(format);
    ddStream->GetFormat(&format, nullptr, nullptr, nullptr);
    ComRef<IDirectDrawStreamSample> sample;
    if (ddStream->CreateSample(nullptr, nullptr, 0, sample.put()) != S_OK || !sample) return;

    UpdateUntilEnd(mm.get(), sample.get(), kUpdatesBeforeSeek, outcome);
    ReadSamplePixels(sample.get());
    STREAM_TIME duration = 0;
    if (mm->GetDuration(&duration) != S_OK || duration < 0) duration = 0;
    mm->Seek(duration / 2);
    UpdateUntilEnd(mm.get(), sample.get(), kUpdatesAfterSeek, outcome);
    ReadSamplePixels(sample.get());
    mm->SetState(STREAMSTATE_STOP);
}

std::u16string WideName(const std::string &path) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 0) return {};
    std::u16string wide(static_cast<size_t>(length), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), length);
    wide.pop_back();  // the terminator the count included
    return wide;
}

}  // namespace

PlayOutcome PlayThroughStream(const std::string &path) {
    PlayOutcome outcome;
    if (FAILED(CoInitialize(nullptr))) return outcome;
    {
        ComRef<IDirectDraw> directDraw;
        if (DirectDrawCreate(nullptr, directDraw.put(), nullptr) == DD_OK &&
            directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL) == DD_OK)
            Play(directDraw.get(), WideName(path), &outcome);
    }
    CoUninitialize();
    return outcome;
}

}  // namespace fuzzhost
