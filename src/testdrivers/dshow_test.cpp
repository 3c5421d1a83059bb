// dshowtest: a command-line style entry that plays the named movie through
// dshowRender on a primary surface of the desktop's DirectDraw object.
#include <cstdio>
#include <cstring>

#include <windows.h>
#include <ddraw.h>

#include "exported_interface.h"
#include "testdrivers/progress_line.h"

namespace {

IDirectDrawSurface *createPrimarySurface(IDirectDraw *directDraw) {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    IDirectDrawSurface *primary = nullptr;
    if (directDraw->CreateSurface(&desc, &primary, nullptr) != DD_OK) return nullptr;
    return primary;
}

}  // namespace

int VIDSURF_CALL dshowtest(int argc, char **argv) {
    if (argc < 2 || argv == nullptr || argv[1] == nullptr) {
        printProgressLine("Usage : reelrun movie.ext\n");
        return 0;
    }

    IDirectDraw *directDraw = nullptr;
    if (DirectDrawCreate(nullptr, &directDraw, nullptr) != DD_OK || directDraw == nullptr) {
        std::fputs("Error in DirectDrawCreate\n", stderr);
        return 0;
    }
    directDraw->SetCooperativeLevel(GetDesktopWindow(), DDSCL_NORMAL);
    IDirectDrawSurface *primary = createPrimarySurface(directDraw);
    if (primary == nullptr) {
        std::fputs("Error in CreateSurface for the primary surface\n", stderr);
        directDraw->Release();
        return 0;
    }

    dshowRender(argv[1], nullptr, directDraw, primary);
    primary->Release();
    directDraw->Release();
    return 1;
}
