#include "host_environment.h"

#include <cstdlib>

namespace fuzzhost {

void UseHostEnvironment(const char *display) {
    setenv("VIDSURF_DISPLAY", display, 1);
    // Updates do not wait for the frame's time, so a run is bounded by the
    // number of updates and not by the movie's length.
    setenv("VIDSURF_CLOCK", "free", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

}  // namespace fuzzhost
