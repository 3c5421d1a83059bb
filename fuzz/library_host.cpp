#include <ddraw.h>
#include <vidsurf.h>
#include <windows.h>

#include <chrono>
#include <thread>

#include "com_ref.h"
#include "hosts.h"

namespace fuzzhost {
namespace {

// Bounds on the ticks of each stretch: with the free clock every decode ends
// at once, so a movie of any claimed length stops within them. A
// millisecond spent waiting for a decode counts as a tick.
constexpr int kTicksBeforeSeek = 400;
constexpr int kTicksAfterSeek = 120;
constexpr int kTicksAfterPause = 20;

// How long the host's loop pauses while a decode is pending.
constexpr auto kPollPause = std::chrono::microseconds(50);

// Ticks as a host's loop does, pausing a moment while a decode is pending,
// until the tick says the end has come.
void TickUntilEnd(StreamSample *stream, IDirectDrawSurface *primary, int most, PlayOutcome *outcome) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point waitedTickEnds{};  // the millisecond of waiting counted last
    for (int ticks = 0; ticks < most;) {
        ++outcome->updates;
        const int result = updateStreamSample(stream, primary);
        if (result == 0) {
            ++outcome->ends;
            return;
        }
        if (result != 2) {
            ++ticks;
            continue;
        }
        const Clock::time_point now = Clock::now();
        if (now >= waitedTickEnds) {
            ++ticks;
            waitedTickEnds = now + std::chrono::milliseconds(1);
        }
        std::this_thread::sleep_for(kPollPause);
    }
}

}  // namespace

PlayOutcome PlayThroughLibrary(const std::string &path) {
    PlayOutcome outcome;
    ComRef<IDirectDraw> directDraw;
    if (DirectDrawCreate(nullptr, directDraw.put(), nullptr) != DD_OK ||
        directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL) != DD_OK)
        return outcome;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    ComRef<IDirectDrawSurface> primary;
    if (directDraw->CreateSurface(&desc, primary.put(), nullptr) != DD_OK) return outcome;

    // No window: frames go to the frame's own rectangle on the screen.
    StreamSample *stream = createStreamSample(path.c_str(), nullptr, directDraw.get());
    if (!stream) return outcome;
    outcome.opened = S_OK;
    TickUntilEnd(stream, primary.get(), kTicksBeforeSeek, &outcome);
    const double duration = streamDuration(stream);
    streamSeek(stream, duration / 2);
    TickUntilEnd(stream, primary.get(), kTicksAfterSeek, &outcome);
    streamPause(stream, primary.get(), duration / 3);
    TickUntilEnd(stream, primary.get(), kTicksAfterPause, &outcome);
    freeStreamSample(stream);
    return outcome;
}

}  // namespace fuzzhost
