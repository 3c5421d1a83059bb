#include "tick_loop.h"

#include <chrono>

#include "vidsurf.h"

namespace {

constexpr int kTickRunning = 1;
constexpr int kTickEnded = 0;

}  // namespace

bool TickLoop(const std::string &path, const Screen &screen, LoopResult *result, std::string *error) {
    StreamSample *stream = createStreamSample(path.c_str(), nullptr, screen.directDraw());
    if (!stream) {
        *error = "createStreamSample failed";
        return false;
    }
    int frames = 0;
    SteadyAllocations allocations;
    const auto started = std::chrono::steady_clock::now();
    const double cpuStarted = ProcessCpuSeconds();
    for (;;) {
        const int tick = updateStreamSample(stream, screen.primary());
        if (tick == kTickEnded) break;
        if (tick != kTickRunning) continue;  // still decoding: ask again at once
        allocations.FrameDone(++frames);
    }
    const auto ended = std::chrono::steady_clock::now();
    const double cpuEnded = ProcessCpuSeconds();
    freeStreamSample(stream);
    result->frames = frames;
    result->seconds = std::chrono::duration<double>(ended - started).count();
    result->cpuSeconds = cpuEnded - cpuStarted;
    result->allocationsPerFrame = allocations.PerFrame(frames);
    return true;
}
