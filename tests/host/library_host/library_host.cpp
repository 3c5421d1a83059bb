// A host program outside the repository's build that uses the vidsurf
// library as any program would: its header, the installed library, and a
// DirectDraw object of its own. Run it on an 8-bit screen (VIDSURF_DISPLAY=
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
#include "process_probes.h"
#include "readout_checks.h"
#include "repeat_checks.h"
#include "test_movies.h"

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
        for (const TestMovie &movie : movies) CheckPixelRoundTrip(dd, movie, bits);
        CheckBrokenFiles(dd, dir);
        if (!movies.empty()) CheckRepeatedOpens(dd, movies, 50);
    }
    Check(ComInitCount() == 0, "no COM initialisation is left behind");
    Check(dd->Release() == 0, "the DirectDraw object is gone at its last Release");

    std::printf("%d passed, %d failed\n", PassedChecks(), FailedChecks());
    return FailedChecks() == 0 ? 0 : 1;
}
