// Resident memory of one 1080p H.264 record open and playing (on the real
// clock to its end, the host ticking back to back, each frame on the
// primary surface) against FFmpeg's own peak for
// decoding and converting the same file (the plain libav loop). Goal: the
// record's peak at most 32 MiB above FFmpeg's. Each is measured in a child
// process that has made its screen first.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>

#include "common/screen.h"
#include "peak_growth.h"
#include "plain_libav_loop.h"
#include "playback_movies.h"
#include "tick_loop.h"

namespace {

constexpr double kAddedGoalMiB = 32;

// The primary surface's pages belong to the screen, not to the player:
// they are touched before the measurement starts.
bool TouchPrimary(const Screen &screen) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (screen.primary()->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return false;
    auto *row = static_cast<uint8_t *>(desc.lpSurface);
    for (DWORD y = 0; y < desc.dwHeight; ++y, row += desc.lPitch) std::memset(row, 0, static_cast<size_t>(desc.lPitch));
    screen.primary()->Unlock(nullptr);
    return true;
}

void BM_ResidentMemoryH264_1080p(benchmark::State &state) {
    std::string error;
    const std::string path = PlaybackMovie(moviegen::Kind::H264Mov, &error, 1920, 1080, BenchFrames(75));
    if (path.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    long libavKiB = -1;
    long recordKiB = -1;
    for (auto _ : state) {
        libavKiB = PeakGrowthKiB([](std::string *) { return true; },
                                 [&](std::string *why) {
                                     LoopResult result;
                                     return PlainLibavLoop(path, ReferenceTarget::Bgr0, &result, why);
                                 },
                                 &error);
        if (libavKiB >= 0) {
            Screen *screen = nullptr;
            recordKiB = PeakGrowthKiB(
                [&](std::string *why) {
                    screen = new Screen(true);  // lives until the child exits
                    if (screen->ok() && TouchPrimary(*screen)) return true;
                    *why = "no screen";
                    return false;
                },
                [&](std::string *why) {
                    LoopResult result;
                    return TickLoop(path, *screen, &result, why);
                },
                &error);
        }
    }
    if (libavKiB < 0 || recordKiB < 0) {
        state.SkipWithError(error.c_str());
        return;
    }
    state.counters["libav_peak_mib"] = libavKiB / 1024.0;
    state.counters["record_peak_mib"] = recordKiB / 1024.0;
    state.counters["added_peak_mib"] = (recordKiB - libavKiB) / 1024.0;
    state.counters["added_peak_mib_goal_max"] = kAddedGoalMiB;
}

}  // namespace

BENCHMARK(BM_ResidentMemoryH264_1080p)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
