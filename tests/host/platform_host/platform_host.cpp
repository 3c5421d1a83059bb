// A host program outside the repository's build: it sees only the installed
// SDK-named headers and the stand-in library, and checks that they answer as
// Windows would. Run it on an 8-bit screen (VIDSURF_DISPLAY=640x480x8) and on
// the default 32-bit one.
#include <windows.h>
#include <ddraw.h>

#include <cstdio>
#include <cstring>

namespace {

int passed = 0;
int failed = 0;

void check(bool ok, const char *what) {
    (ok ? passed : failed)++;
    if (!ok) std::printf("FAILED: %s\n", what);
}

IDirectDrawSurface *makeSurface(IDirectDraw *dd, DWORD width, DWORD height, DWORD bits) {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = width;
    desc.dwHeight = height;
    desc.ddpfPixelFormat.dwSize = sizeof desc.ddpfPixelFormat;
    desc.ddpfPixelFormat.dwFlags = DDPF_RGB | (bits == 8 ? DDPF_PALETTEINDEXED8 : 0);
    desc.ddpfPixelFormat.dwRGBBitCount = bits;
    if (bits == 32) {
        desc.ddpfPixelFormat.dwRBitMask = 0xFF0000;
        desc.ddpfPixelFormat.dwGBitMask = 0x00FF00;
        desc.ddpfPixelFormat.dwBBitMask = 0x0000FF;
    }
    IDirectDrawSurface *surface = nullptr;
    return dd->CreateSurface(&desc, &surface, nullptr) == DD_OK ? surface : nullptr;
}

void checkSurfaces(IDirectDraw *dd, bool palettized) {
    DDSURFACEDESC mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dwSize = sizeof mode;
    check(dd->GetDisplayMode(&mode) == DD_OK, "GetDisplayMode");
    check(mode.ddpfPixelFormat.dwRGBBitCount == (palettized ? 8u : 32u), "screen depth");

    DDSURFACEDESC primaryDesc;
    std::memset(&primaryDesc, 0, sizeof primaryDesc);
    primaryDesc.dwSize = sizeof primaryDesc;
    primaryDesc.dwFlags = DDSD_CAPS;
    primaryDesc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    IDirectDrawSurface *primary = nullptr;
    check(dd->CreateSurface(&primaryDesc, &primary, nullptr) == DD_OK && primary, "primary surface");

    IDirectDrawSurface *odd = makeSurface(dd, 321, 241, 8);
    check(odd != nullptr, "8-bit surface of 321x241");
    if (odd) {
        DDSURFACEDESC locked;
        std::memset(&locked, 0, sizeof locked);
        locked.dwSize = 108;  // the 32-bit layout's size is refused on a 64-bit host
        check(sizeof(void *) == 4 || odd->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) == DDERR_INVALIDPARAMS,
              "Lock refuses a wrong dwSize");
        locked.dwSize = sizeof locked;
        check(odd->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) == DD_OK, "Lock");
        check(locked.lPitch == 328, "pitch of a 321-pixel 8-bit surface is 328");
        check(locked.dwWidth == 321 && locked.dwHeight == 241, "locked size");
        DDSURFACEDESC again;
        std::memset(&again, 0, sizeof again);
        again.dwSize = sizeof again;
        check(odd->Lock(nullptr, &again, DDLOCK_WAIT, nullptr) == DDERR_SURFACEBUSY, "second Lock refused");
        check(odd->Unlock(nullptr) == DD_OK, "Unlock");
        check(odd->Unlock(nullptr) == DDERR_NOTLOCKED, "Unlock of an unlocked surface refused");
    }

    IDirectDrawSurface *wide = makeSurface(dd, 64, 48, 32);
    if (primary && odd && wide) {
        RECT outside = {0, 0, 400, 10};
        check(odd->Blt(&outside, odd, nullptr, DDBLT_WAIT, nullptr) == DDERR_INVALIDRECT,
              "Blt to a rectangle outside the surface refused");
        check(odd->Blt(nullptr, wide, nullptr, DDBLT_WAIT, nullptr) == DDERR_INVALIDPIXELFORMAT,
              "Blt between pixel formats refused");
        IDirectDrawSurface *sameAsScreen = palettized ? odd : wide;
        RECT corner = {0, 0, 32, 24};
        check(primary->Blt(&corner, sameAsScreen, nullptr, DDBLT_WAIT, nullptr) == DD_OK,
              "stretch Blt onto the primary surface");
    }
    if (wide) wide->Release();
    if (odd) odd->Release();
    if (primary) primary->Release();
}

void checkPalettes(bool palettized) {
    HDC screen = GetDC(nullptr);
    check(screen != nullptr, "screen DC");
    PALETTEENTRY system[256];
    std::memset(system, 0x5A, sizeof system);
    UINT got = GetSystemPaletteEntries(screen, 0, 256, system);
    if (palettized) {
        check(got == 256, "system palette has 256 entries");
        check(system[0].peRed == 0 && system[0].peGreen == 0 && system[0].peBlue == 0, "entry 0 is black");
        check(system[255].peRed == 255 && system[255].peGreen == 255 && system[255].peBlue == 255,
              "entry 255 is white");
        check(system[249].peRed == 255 && system[249].peGreen == 0 && system[249].peBlue == 0, "entry 249 is red");
    } else {
        check(got == 0 && system[0].peRed == 0x5A, "no system palette on a true-colour screen");
    }

    struct {
        WORD version;
        WORD count;
        PALETTEENTRY entries[4];
    } log = {0x300, 4, {{0, 0, 0, 0}, {200, 0, 0, 0}, {0, 200, 0, 0}, {200, 0, 0, 0}}};
    HPALETTE palette = CreatePalette(reinterpret_cast<LOGPALETTE *>(&log));
    check(palette != nullptr, "CreatePalette");
    check(GetNearestPaletteIndex(palette, RGB(190, 10, 10)) == 1, "nearest index, lowest on a tie");
    check(GetNearestPaletteIndex(palette, RGB(0, 255, 0)) == 2, "nearest index");
    check(DeleteObject(palette) != 0, "DeleteObject");
    check(GetNearestPaletteIndex(palette, RGB(0, 0, 0)) == CLR_INVALID, "deleted palette is invalid");
    check(ReleaseDC(nullptr, screen) == 1, "ReleaseDC of a DC handed out");
    check(ReleaseDC(nullptr, screen) == 0, "second ReleaseDC");
}

void checkWindows() {
    DWORD width = 0, height = 0;
    RECT desktop;
    check(GetClientRect(GetDesktopWindow(), &desktop) != 0, "desktop client rectangle");
    width = desktop.right;
    height = desktop.bottom;
    check(desktop.left == 0 && desktop.top == 0 && width > 0 && height > 0, "desktop covers the screen");

    HWND window = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 50, 300, 200, nullptr,
                                  nullptr, nullptr, nullptr);
    check(window != nullptr, "CreateWindowExA");
    RECT client;
    GetClientRect(window, &client);
    check(client.left == 0 && client.top == 0 && client.right > 0 && client.right < 300 && client.bottom < 200,
          "client area inside the frame");
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    check(origin.x > 100 && origin.y > 50, "client origin below the caption");
    MoveWindow(window, 10, 20, 300, 200, TRUE);
    POINT moved = {0, 0};
    ClientToScreen(window, &moved);
    check(moved.x == origin.x - 90 && moved.y == origin.y - 30, "ClientToScreen follows a move");
    RECT onScreen = client;
    OffsetRect(&onScreen, moved.x, moved.y);
    check(onScreen.left == moved.x && onScreen.right == moved.x + client.right, "OffsetRect");
    check(DestroyWindow(window) != 0, "DestroyWindow");
}

}  // namespace

int main() {
    IDirectDraw *dd = nullptr;
    if (DirectDrawCreate(nullptr, &dd, nullptr) != DD_OK || !dd) {
        std::printf("FAILED: DirectDrawCreate\n");
        return 1;
    }
    check(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL) == DD_OK, "SetCooperativeLevel");
    DDSURFACEDESC mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dwSize = sizeof mode;
    dd->GetDisplayMode(&mode);
    const bool palettized = mode.ddpfPixelFormat.dwRGBBitCount == 8;

    checkSurfaces(dd, palettized);
    checkPalettes(palettized);
    checkWindows();
    check(dd->Release() == 0, "DirectDraw object released last");

    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
