// reelplay: the example host of the vidsurf library. It plays a movie into
// a window on the primary surface with the library's interface, ticking at
// the display's pace, with its sound: space pauses and resumes, the arrow
// keys seek, Escape quits. On the stand-in the screen is mirrored into a
// desktop window when a display is present (the keys come from there);
// without one the movie plays to its end. The last screen can be saved as
// a PNG.
//   reelplay [--png FILE] MOVIE
#include <getopt.h>

#include <windows.h>

#include <standin/standin.h>

#include <cstdio>
#include <string>

#include "movie_player.h"

namespace {

void Usage(FILE *to) {
    std::fprintf(to,
                 "usage: reelplay [--png FILE] MOVIE\n"
                 "  --png FILE   save the screen after the last frame as a PNG image\n");
}

}  // namespace

int main(int argc, char **argv) {
    const option options[] = {{"png", required_argument, nullptr, 'p'},
                              {"help", no_argument, nullptr, 'h'},
                              {nullptr, 0, nullptr, 0}};
    std::string png;
    for (int c; (c = getopt_long(argc, argv, "p:h", options, nullptr)) != -1;) {
        if (c == 'p') {
            png = optarg;
        } else if (c == 'h') {
            Usage(stdout);
            return 0;
        } else {
            Usage(stderr);
            return 2;
        }
    }
    if (optind != argc - 1) {
        Usage(stderr);
        return 2;
    }

    const int status = reelplay::PlayMovie(argv[optind]);
    if (!png.empty()) {
        if (FAILED(StandinSaveScreenPng(png.c_str()))) {
            std::fprintf(stderr, "reelplay: cannot write %s\n", png.c_str());
            return 1;
        }
        std::printf("Saved the screen as %s\n", png.c_str());
    }
    return status;
}
