#include "movie_player.h"

#include <windows.h>
#include <ddraw.h>
#include <amstream.h>
#include <ddstream.h>
#include <mmstream.h>

#include <standin/standin.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace reelplay {
namespace {

// Releases a COM pointer when it goes out of scope.
template <class T>
struct Ref {
    T *p = nullptr;
    Ref() = default;
    Ref(const Ref &) = delete;
    Ref &operator=(const Ref &) = delete;
    ~Ref() {
        if (p) p->Release();
    }
    T **out() { return &p; }
    T *operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

std::u16string Utf16(const char *text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::u16string wide(length > 0 ? length : 1, u'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    return wide;
}

bool Failed(HRESULT hr, const char *what) {
    if (SUCCEEDED(hr)) return false;
    std::fprintf(stderr, "reelplay: %s failed (0x%08X)\n", what, static_cast<unsigned>(hr));
    return true;
}

// The window's client area on the screen, where each frame is stretched to.
RECT ClientOnScreen(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    OffsetRect(&client, origin.x, origin.y);
    return client;
}

HWND MakeWindow(LONG width, LONG height) {
    DWORD screenWidth = 0, screenHeight = 0;
    StandinScreenMode(&screenWidth, &screenHeight, nullptr);
    // Twice the frame size when the screen has room, framed and centred.
    const int scale = (2 * width + 16 <= static_cast<LONG>(screenWidth) &&
                       2 * height + 48 <= static_cast<LONG>(screenHeight)) ? 2 : 1;
    const int outerWidth = scale * width + 8, outerHeight = scale * height + 31;
    return CreateWindowExA(0, "reelplay", "reelplay", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                           (static_cast<int>(screenWidth) - outerWidth) / 2,
                           (static_cast<int>(screenHeight) - outerHeight) / 2, outerWidth, outerHeight, nullptr,
                           nullptr, nullptr, nullptr);
}

int Play(const char *path, IDirectDraw *dd) {
    Ref<IDirectDrawSurface> primary;
    DDSURFACEDESC primaryDesc;
    std::memset(&primaryDesc, 0, sizeof primaryDesc);
    primaryDesc.dwSize = sizeof primaryDesc;
    primaryDesc.dwFlags = DDSD_CAPS;
    primaryDesc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (Failed(dd->CreateSurface(&primaryDesc, primary.out(), nullptr), "CreateSurface (primary)")) return 1;

    Ref<IAMMultiMediaStream> movie;
    if (Failed(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                                reinterpret_cast<void **>(movie.out())),
               "CoCreateInstance"))
        return 1;
    movie->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, nullptr);
    movie->AddMediaStream(dd, &MSPID_PrimaryVideo, 0, nullptr);
    const bool sound = movie->AddMediaStream(nullptr, &MSPID_PrimaryAudio, AMMSF_ADDDEFAULTRENDERER, nullptr) == S_OK;
    const std::u16string name = Utf16(path);
    if (movie->OpenFile(reinterpret_cast<LPCWSTR>(name.c_str()), 0) != S_OK) {
        std::fprintf(stderr, "reelplay: cannot play %s\n", path);
        return 1;
    }

    Ref<IMediaStream> video;
    Ref<IDirectDrawMediaStream> frames;
    if (Failed(movie->GetMediaStream(MSPID_PrimaryVideo, video.out()), "GetMediaStream") ||
        Failed(video->QueryInterface(IID_IDirectDrawMediaStream, reinterpret_cast<void **>(frames.out())),
               "QueryInterface"))
        return 1;
    DDSURFACEDESC format;
    std::memset(&format, 0, sizeof format);
    format.dwSize = sizeof format;
    Ref<IDirectDrawPalette> palette;
    if (Failed(frames->GetFormat(&format, palette.out(), nullptr, nullptr), "GetFormat")) return 1;
    STREAM_TIME duration = 0, frameTime = 0;
    movie->GetDuration(&duration);
    frames->GetTimePerFrame(&frameTime);

    Ref<IDirectDrawSurface> surface;
    Ref<IDirectDrawStreamSample> sample;
    RECT frameRect = {0, 0, static_cast<LONG>(format.dwWidth), static_cast<LONG>(format.dwHeight)};
    if (Failed(dd->CreateSurface(&format, surface.out(), nullptr), "CreateSurface (frame)") ||
        Failed(frames->CreateSample(surface.p, &frameRect, 0, sample.out()), "CreateSample"))
        return 1;

    std::printf("Playing %s: %ldx%ld, %.2f s, %.2f frames/s%s\n", path, static_cast<long>(frameRect.right),
                static_cast<long>(frameRect.bottom), duration / 1e7, frameTime ? 1e7 / frameTime : 0.0,
                sound ? ", with sound" : "");
    if (palette)
        std::printf("The screen has 256 colours: frames show in the movie's own indices, untranslated.\n");

    HWND window = MakeWindow(frameRect.right, frameRect.bottom);
    const bool mirrored = StandinMirrorScreen() != FALSE;
    const auto start = std::chrono::steady_clock::now();
    int shown = 0;
    movie->SetState(STREAMSTATE_RUN);
    for (;;) {
        const HRESULT hr = sample->Update(0, nullptr, nullptr, 0);
        if (hr != S_OK) break;
        RECT destination = ClientOnScreen(window);
        primary->Blt(&destination, surface.p, &frameRect, DDBLT_WAIT, nullptr);
        if (mirrored) StandinMirrorScreen();
        ++shown;
    }
    movie->SetState(STREAMSTATE_STOP);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("Played %d frames in %.2f s%s\n", shown, seconds, mirrored ? "" : " (no display to mirror to)");
    DestroyWindow(window);
    return shown > 0 ? 0 : 1;
}

}  // namespace

int PlayMovie(const char *path) {
    CoInitialize(nullptr);
    int status = 1;
    IDirectDraw *dd = nullptr;
    if (!Failed(DirectDrawCreate(nullptr, &dd, nullptr), "DirectDrawCreate")) {
        dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
        status = Play(path, dd);
        dd->Release();
    }
    CoUninitialize();
    return status;
}

}  // namespace reelplay
