/* A host program in plain C, written as a developer would against the
 * Windows package:
 *   package_host MOVIE
 * opens MOVIE for the desktop's primary surface with no window, so that
 * frames go to the screen's top left corner, ticks it to the end in real
 * time and prints the movie's size and length, that it played to the end,
 * and that its last frame is on the screen: most points of a grid over the
 * frame's place, black before, are lit (a test movie's frames are coloured
 * pictures under a few black and white marks). Exits with 0 then, 1 when something failed and 2 after the usage
 * line. The Wine lane builds it for each bitness twice: linked by lld-link
 * with vidsurf.lib, and with MinGW through find_package(vidsurf). */
#include <stdio.h>

#include <windows.h>
#include <ddraw.h>

#include <vidsurf.h>

/* Far longer than any test movie lasts. */
#define PLAY_LIMIT_MS 20000
#define GRID 8

static void blacken(IDirectDrawSurface *primary, int width, int height) {
    RECT rect = {0, 0, 0, 0};
    DDBLTFX fx;
    rect.right = width;
    rect.bottom = height;
    ZeroMemory(&fx, sizeof fx);
    fx.dwSize = sizeof fx;
    IDirectDrawSurface_Blt(primary, &rect, NULL, NULL, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

/* The points of a GRID x GRID grid over the frame's place that are not
 * black, or -1 when the screen cannot be read. */
static int litPoints(IDirectDrawSurface *primary, int width, int height) {
    HDC dc;
    int lit = 0, x, y;
    if (IDirectDrawSurface_GetDC(primary, &dc) != DD_OK) return -1;
    for (y = 0; y < GRID; ++y)
        for (x = 0; x < GRID; ++x)
            if ((GetPixel(dc, (2 * x + 1) * width / (2 * GRID), (2 * y + 1) * height / (2 * GRID)) & 0xFFFFFF) != 0)
                ++lit;
    IDirectDrawSurface_ReleaseDC(primary, dc);
    return lit;
}

static int play(const char *movie, IDirectDraw *directDraw, IDirectDrawSurface *primary) {
    StreamSample *stream = createStreamSample(movie, NULL, directDraw);
    int width = 0, height = 0, status = 1, lit;
    DWORD start;

    if (stream == NULL) {
        printf("cannot open %s\n", movie);
        return 1;
    }
    streamRect(stream, &width, &height);
    printf("%dx%d, %.2f s\n", width, height, streamDuration(stream));
    blacken(primary, width, height);
    start = GetTickCount();
    while (GetTickCount() - start < PLAY_LIMIT_MS && (status = updateStreamSample(stream, primary)) != 0)
        Sleep(1);
    printf(status == 0 ? "played to the end\n" : "still playing after %d ms\n", PLAY_LIMIT_MS);
    lit = litPoints(primary, width, height);
    if (lit >= GRID * GRID / 2)
        printf("the last frame is on the screen\n");
    else
        printf("only %d of %d points lit\n", lit, GRID * GRID);
    freeStreamSample(stream);
    return status == 0 && lit >= GRID * GRID / 2 ? 0 : 1;
}

int main(int argc, char **argv) {
    IDirectDraw *directDraw = NULL;
    IDirectDrawSurface *primary = NULL;
    DDSURFACEDESC desc;
    int result;

    if (argc != 2) {
        fprintf(stderr, "Usage : package_host movie.ext\n");
        return 2;
    }
    if (DirectDrawCreate(NULL, &directDraw, NULL) != DD_OK) {
        printf("no DirectDraw\n");
        return 1;
    }
    IDirectDraw_SetCooperativeLevel(directDraw, GetDesktopWindow(), DDSCL_NORMAL);
    ZeroMemory(&desc, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (IDirectDraw_CreateSurface(directDraw, &desc, &primary, NULL) != DD_OK) {
        printf("no primary surface\n");
        IDirectDraw_Release(directDraw);
        return 1;
    }
    result = play(argv[1], directDraw, primary);
    IDirectDrawSurface_Release(primary);
    IDirectDraw_Release(directDraw);
    return result;
}
