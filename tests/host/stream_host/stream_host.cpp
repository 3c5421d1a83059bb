// A host program outside the repository's build that plays movies through
// the multimedia streaming interfaces alone (COM, IAMMultiMediaStream,
// IDirectDrawMediaStream, IDirectDrawStreamSample, DirectDraw), as a
// Windows program would. Run it on an 8-bit screen (VIDSURF_DISPLAY=
// 640x480x8) and on the default 32-bit one, with VIDSURF_CLOCK=free: the
// checks on the real clock run in a child process without it.
#include <windows.h>
#include <ddraw.h>
#include <amstream.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "check.h"
#include "host_surfaces.h"
#include "open_refusals.h"
#include "playback_checks.h"
#include "real_clock_checks.h"
#include "real_clock_child.h"
#include "test_movies.h"

namespace {

void FreeClockChecks(IDirectDraw *dd, DWORD bits, const moviegen::TempDir &dir) {
    std::vector<TestMovie> movies = PlanMovies(dir.path());
    movies.push_back(PlanSlowMovie(dir.path()));
    for (const TestMovie &movie : movies)
        if (!WriteTestMovie(movie)) Check(false, "writing " + movie.name);
    movies.pop_back();
    for (const TestMovie &movie : movies) CheckPlayback(dd, movie, bits);
    CheckOpenRefusals(dd, dir, movies.front());
}

void RealClockChecks(IDirectDraw *dd, DWORD bits, const std::string &dir) {
    for (const TestMovie &movie : PlanMovies(dir)) CheckFrameTimes(dd, movie, bits);
    CheckPendingUpdates(dd, PlanSlowMovie(dir), bits);
}

}  // namespace

int main(int argc, char **argv) {
    const bool child = argc == 3 && std::strcmp(argv[1], kRealClockSwitch) == 0;
    IAMMultiMediaStream *probe = nullptr;
    Check(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                           reinterpret_cast<void **>(&probe)) == CO_E_NOTINITIALIZED,
          "CoCreateInstance before CoInitialize is CO_E_NOTINITIALIZED");
    Check(CoInitialize(nullptr) == S_OK, "CoInitialize");

    IDirectDraw *dd = nullptr;
    if (DirectDrawCreate(nullptr, &dd, nullptr) != DD_OK || !dd) {
        std::printf("FAILED: DirectDrawCreate\n");
        return 1;
    }
    Check(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL) == DD_OK, "SetCooperativeLevel");
    const DWORD bits = ScreenBits(dd);
    Check(bits == 8 || bits == 32, "an 8-bit or 32-bit screen");

    if (child) {
        Check(std::getenv("VIDSURF_CLOCK") == nullptr, "the real-clock child runs without VIDSURF_CLOCK");
        RealClockChecks(dd, bits, argv[2]);
    } else {
        moviegen::TempDir dir;
        Check(!dir.path().empty(), "a temporary folder");
        FreeClockChecks(dd, bits, dir);
        RunRealClockChild(dir.path());
    }
    Check(dd->Release() == 0, "the DirectDraw object is gone at its last Release");
    CoUninitialize();

    if (child) {
        ReportToParent(argv[2]);
        std::printf("real clock: %d passed, %d failed\n", PassedChecks(), FailedChecks());
    } else {
        std::printf("%d passed, %d failed\n", PassedChecks(), FailedChecks());
    }
    return FailedChecks() == 0 ? 0 : 1;
}
