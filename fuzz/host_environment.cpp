#include "host_environment.h"

#include <cstdlib>

namespace fuzzhost {

void UseHostEnvironment(const char *display) {
    setenv("VIDSURF_DISPLAY", display, 1);
    // Updates do not wait for the frame's time, so a run is bounded by the
    // number of updates and not by the movie's length.
    setenv("VIDSURF_CLOCK", "free", 1);
    // The sound plays into the stand-in's virtual device, through the same
    // renderer as on a real one; it takes buffers at twice the pace and
    // closes at once, where SDL's dummy driver makes every close wait for
    // its thread's next buffer.
    setenv("SDL_AUDIODRIVER", "standin", 1);
    setenv("VIDSURF_AUDIO_PACE", "2", 1);
}

}  // namespace fuzzhost
