#include "tick_loop.h"

#include <chrono>
#include <cstdint>

#include "common/allocation_count.h"
#include "vidsurf.h"

namespace {

constexpr int kTickRunning = 1;
constexpr int kTickEnded = 0;
constexpr int kSteadyFrom = 10;  // the frame the allocation count starts at

}  // namespace

bool TickLoop(const std::string &path, const Screen &screen, TickResult *result, std::string *error) {
    StreamSample *stream = createStreamSample(path.c_str(), nullptr, screen.directDraw());
    if (!stream) {
        *error = "createStreamSample failed";
        return false;
    }
    int frames = 0;
    uint64_t steadyStart = 0;
    uint64_t steadyEnd = 0;
    const auto started = std::chrono::steady_clock::now();
    for (;;) {
        const int tick = updateStreamSample(stream, screen.primary());
        if (tick == kTickEnded) break;
        if (tick != kTickRunning) continue;  // still decoding: ask again at once
        ++frames;
        const uint64_t count = AllocationCount();
        if (frames == kSteadyFrom) steadyStart = count;
        steadyEnd = count;
    }
    const auto ended = std::chrono::steady_clock::now();
    freeStreamSample(stream);
    result->frames = frames;
    result->seconds = std::chrono::duration<double>(ended - started).count();
    if (AllocationCountingAvailable() && frames > kSteadyFrom)
        result->allocationsPerFrame = static_cast<double>(steadyEnd - steadyStart) / (frames - kSteadyFrom);
    return true;
}
