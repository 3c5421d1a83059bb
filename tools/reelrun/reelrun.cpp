// reelrun: plays a movie through the library's scripted exercise (dshowtest)
// on the desktop's primary surface, and prints its progress lines.
//   reelrun MOVIE
// Exits with 0 after a run and 2 after the usage line.
//
// On the stand-in the screen it plays on can be watched: it is mirrored in
// a desktop window when a display is present, and VIDSURF_SNAPSHOTS=FOLDER
// saves it there as PNG images (screen-001.png once a second, screen-end.png
// at the end). Neither changes what reelrun prints.
#include <cstdlib>

#include <vidsurf.h>

#ifndef _WIN32
#include "screen_viewer.h"
#endif

int main(int argc, char **argv) {
#ifndef _WIN32
    const ScreenViewer viewer(std::getenv("VIDSURF_SNAPSHOTS"));
#endif
    return dshowtest(argc, argv) != 0 ? 0 : 2;
}
