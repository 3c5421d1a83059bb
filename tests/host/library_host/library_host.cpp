// A host program outside the repository's build that uses the vidsurf
// library as any program would: its header, the installed library, and a
// DirectDraw object and primary surface of its own, on which it plays its
// movies and looks at the pixels. Run it on an 8-bit screen (VIDSURF_DISPLAY=
// 640x480x8) and on the default 32-bit one, with VIDSURF_CLOCK=free.
#include <windows.h>
#include <ddraw.h>
#include <vidsurf.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "broken_file_checks.h"
#include "check.h"
#include "pixel_checks.h"
#include "presentation_checks.h"
#include "process_probes.h"
#include "readout_checks.h"
#include "repeat_checks.h"
#include "test_movies.h"

namespace {

IDirectDrawSurface *MakePrimarySurface(IDirectDraw *dd) {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    IDirectDrawSurface *primary = nullptr;
    return dd->CreateSurface(&desc, &primary, nullptr) == DD_OK ? primary : nullptr;
}

}  // namespace

int main() {
    IDirectDraw *dd = nullptr;
    if (DirectDrawCreate(nullptr, &dd, nullptr) != DD_OK || !dd) {
        std::printf("FAILED: DirectDrawCreate\n");
        return 1;
    }
    Check(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL) == DD_OK, "SetCooperativeLevel");
    DDSURFACEDESC mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dwSize = sizeof mode;
    dd->GetDisplayMode(&mode);
    const DWORD bits = mode.ddpfPixelFormat.dwRGBBitCount;
    Check(bits == 8 || bits == 32, "an 8-bit or 32-bit screen");
    Check(ComInitCount() == 0, "the host itself has not initialised COM");

    {
        moviegen::TempDir dir;
        std::vector<TestMovie> movies;
        Check(!dir.path().empty() && WriteTestMovies(dir, &movies), "writing the movies");
        CheckNullRecord();
        for (const TestMovie &movie : movies) CheckReadouts(dd, movie, bits);
        IDirectDrawSurface *primary = MakePrimarySurface(dd);
        Check(primary != nullptr, "the primary surface");
        for (const TestMovie &movie : movies) {
            if (primary == nullptr) break;
            for (bool windowed : {false, true}) CheckPresentation(dd, primary, movie, bits, windowed);
            CheckPixelRoundTrip(dd, primary, movie, bits);
        }
        if (primary != nullptr) primary->Release();
        CheckBrokenFiles(dd, dir);
        if (!movies.empty()) CheckRepeatedOpens(dd, movies, 50);
    }
    Check(ComInitCount() == 0, "no COM initialisation is left behind");
    Check(dd->Release() == 0, "the DirectDraw object is gone at its last Release");

    std::printf("%d passed, %d failed\n", PassedChecks(), FailedChecks());
    return FailedChecks() == 0 ? 0 : 1;
}
