#include "fakes/scripted_movie.h"

namespace fakes {

ScriptedMovie::ScriptedMovie(DWORD comInit) {
    CoInitializeEx(nullptr, comInit);
    factory.product = static_cast<IAMMultiMediaStream *>(&mm);
    CoRegisterClassObject(CLSID_AMMultiMediaStream, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);

    mm.videoStream = &video;
    mm.duration = 50000000;  // 5 s
    mm.clock = 400000;
    ddStream.sample = &sample;
    ddStream.timePerFrame = 400000;  // 25 fps
    ddStream.format.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_CAPS | DDSD_PIXELFORMAT;
    ddStream.format.dwWidth = kWidth;
    ddStream.format.dwHeight = kHeight;
    ddStream.format.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    ddStream.format.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    ddStream.format.ddpfPixelFormat.dwFlags = DDPF_RGB;
    ddStream.format.ddpfPixelFormat.dwRGBBitCount = 32;
    directDraw.surface = &surface;
}

ScriptedMovie::~ScriptedMovie() {
    CoRevokeClassObject(cookie_);
    CoUninitialize();
}

void ScriptedMovie::withPalette() {
    ddStream.palette = &palette;
    ddStream.format.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
    ddStream.format.ddpfPixelFormat.dwRGBBitCount = 8;
    for (int i = 0; i < 256; ++i) palette.entries[i] = {BYTE(i), BYTE(255 - i), BYTE(i * 7), PC_EXPLICIT};
}

}  // namespace fakes
