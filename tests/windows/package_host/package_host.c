/* A host program in plain C, written as a developer would against the
 * Windows package:
 *   package_host MOVIE
 * opens MOVIE on the desktop's primary surface, ticks it to the end in real
 * time and prints the movie's size and length and that it played to the
 * end. Exits with 0 then, 1 when something failed and 2 after the usage
 * line. The Wine lane builds it for each bitness twice: linked by lld-link
 * with vidsurf.lib, and with MinGW through find_package(vidsurf). */
#include <stdio.h>

#include <windows.h>
#include <ddraw.h>

#include <vidsurf.h>

/* Far longer than any test movie lasts. */
#define PLAY_LIMIT_MS 20000

static int play(const char *movie, IDirectDraw *directDraw, IDirectDrawSurface *primary) {
    StreamSample *stream = createStreamSample(movie, GetDesktopWindow(), directDraw);
    int width = 0, height = 0, status = 1;
    DWORD start;

    if (stream == NULL) {
        printf("cannot open %s\n", movie);
        return 1;
    }
    streamRect(stream, &width, &height);
    printf("%dx%d, %.2f s\n", width, height, streamDuration(stream));
    start = GetTickCount();
    while (GetTickCount() - start < PLAY_LIMIT_MS && (status = updateStreamSample(stream, primary)) != 0)
        Sleep(1);
    printf(status == 0 ? "played to the end\n" : "still playing after %d ms\n", PLAY_LIMIT_MS);
    freeStreamSample(stream);
    return status == 0 ? 0 : 1;
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
