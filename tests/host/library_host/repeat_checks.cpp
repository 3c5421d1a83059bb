#include "repeat_checks.h"

#include <vidsurf.h>

#include "check.h"
#include "process_probes.h"

namespace {

bool OpenAndFree(IDirectDraw *dd, const TestMovie &movie) {
    StreamSample *stream = createStreamSample(movie.path.c_str(), nullptr, dd);
    freeStreamSample(stream);
    return stream != nullptr;
}

}  // namespace

void CheckRepeatedOpens(IDirectDraw *dd, const std::vector<TestMovie> &movies, int times) {
    // The first open may set up what lives as long as the process (the
    // audio device, say); leaks are counted from after it.
    for (const TestMovie &movie : movies) OpenAndFree(dd, movie);
    const int fdsBefore = OpenFileDescriptors();
    const ULONG comBefore = ComInitCount();
    const ULONG ddBefore = RefCount(dd);
    int opened = 0;
    for (int i = 0; i < times; ++i) opened += OpenAndFree(dd, movies[i % movies.size()]) ? 1 : 0;
    const std::string loop = std::to_string(times) + " opens and frees";
    Check(opened == times, loop + ": " + std::to_string(opened) + " opened");
    const int fdsAfter = OpenFileDescriptors();
    Check(fdsAfter == fdsBefore,
          loop + ": open file descriptors " + std::to_string(fdsBefore) + " -> " + std::to_string(fdsAfter));
    Check(ComInitCount() == comBefore, loop + ": COM initialisations unchanged");
    const ULONG ddAfter = RefCount(dd);
    Check(ddAfter == ddBefore,
          loop + ": DirectDraw references " + std::to_string(ddBefore) + " -> " + std::to_string(ddAfter));
}
