#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "deadline.h"
#include "fifo_drain.h"
#include "host_session.h"
#include "scenarios.h"
#include "ticking_record.h"
#include "timed_events.h"

namespace faulthost {
namespace {

// kFailed: the tick said 2 for an update that failed, which is how the
// library tells its host; the phase is over.
enum class PhaseEnd { kEnded, kFailed, kStalled, kNoEnd };

const char *PhaseEndName(PhaseEnd end) {
    switch (end) {
        case PhaseEnd::kEnded: return "ended";
        case PhaseEnd::kFailed: return "failed";
        case PhaseEnd::kStalled: return "stall";
        case PhaseEnd::kNoEnd: return "no-end";
    }
    return "?";
}

struct Limits {
    double seconds;       // the phase gives up on an end after this
    double stallSeconds;  // a run of 2s this long is a stall
    bool freeClock;
};

// Ticks the target (and the bystander beside it) until the target's tick
// says the end has come, stalls, or the phase's time is up.
PhaseEnd TickToEnd(TickingRecord &target, TickingRecord &bystander, const Limits &limits, TimedEvents &events) {
    const Clock::time_point start = Clock::now();
    const auto pause = limits.freeClock ? std::chrono::microseconds(50) : std::chrono::microseconds(1000);
    for (;;) {
        const Clock::time_point now = Clock::now();
        events.Poll(now);
        const int result = target.Tick(now);
        bystander.Tick(now);
        if (result == 0) return PhaseEnd::kEnded;
        if (target.Failed()) return PhaseEnd::kFailed;
        if (target.SecondsPending(now) > limits.stallSeconds) return PhaseEnd::kStalled;
        if (std::chrono::duration<double>(now - start).count() > limits.seconds) return PhaseEnd::kNoEnd;
        if (result == 2) std::this_thread::sleep_for(pause);
    }
}

// Said at once, before the frees that may crash: how a phase failed to
// end, and whether the bystander's tick stuck at 2.
void ReportPhase(const char *phase, PhaseEnd end, const TickingRecord &bystander, const Limits &limits) {
    if (end == PhaseEnd::kStalled)
        std::fprintf(stderr, "fault_host: %s: the target's tick returned 2 for %.1f s\n", phase, limits.stallSeconds);
    else if (end == PhaseEnd::kNoEnd)
        std::fprintf(stderr, "fault_host: %s: the target's play did not end within %.1f s\n", phase, limits.seconds);
    if (bystander.LongestPending() > limits.stallSeconds)
        std::fprintf(stderr, "fault_host: %s: the bystander's tick has returned 2 for %.1f s in a row\n", phase,
                     bystander.LongestPending());
}

// Before the frees: a bystander whose tick says 2 is ticked on until it
// plays again, or until that counts as a stall.
void CheckBystanderMoves(TickingRecord &bystander, const Limits &limits) {
    StartDeadline("bystander check", static_cast<unsigned>(limits.stallSeconds + 10));
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (bystander.Tick(now) != 2 || bystander.Failed() || bystander.SecondsPending(now) > limits.stallSeconds)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ClearDeadline();
}

void TickBoth(TickingRecord &target, TickingRecord &bystander, int ticks) {
    for (int i = 0; i < ticks; ++i) {
        const Clock::time_point now = Clock::now();
        target.Tick(now);
        bystander.Tick(now);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// How the target's play went, as one word per phase.
struct TargetPlay {
    bool opened = false;
    PhaseEnd play = PhaseEnd::kEnded;
    PhaseEnd seek = PhaseEnd::kEnded;
    double duration = 0;
    double playReached = 0;  // the stream clock where each phase ended
    double seekReached = 0;
    bool Stalled() const { return opened && (Stuck(play) || Stuck(seek)); }
    static bool Stuck(PhaseEnd end) { return end == PhaseEnd::kStalled || end == PhaseEnd::kNoEnd; }
};

TargetPlay PlayTarget(StreamSample *stream, TickingRecord &bystander, const HostScreen &screen,
                      const HostOptions &options, TimedEvents &events) {
    TargetPlay play;
    play.opened = true;
    TickingRecord target(stream, screen.primary(), false);
    const double duration = streamDuration(stream);
    play.duration = duration;
    // Ending needs the clock to reach the duration: on the real clock that
    // takes the movie's length.
    const double slack = 10;
    Limits limits{options.freeClock ? 15 : duration + slack, options.stallSeconds, options.freeClock};
    StartDeadline("target play", static_cast<unsigned>(limits.seconds + limits.stallSeconds + 10));
    play.play = TickToEnd(target, bystander, limits, events);
    play.playReached = streamClock(stream);
    ReportPhase("play", play.play, bystander, limits);

    StartDeadline("target seek", 10);
    streamSeek(stream, duration / 2);
    target.ForgetPending();
    limits.seconds = options.freeClock ? 15 : duration / 2 + slack;
    StartDeadline("target play after the seek", static_cast<unsigned>(limits.seconds + limits.stallSeconds + 10));
    play.seek = TickToEnd(target, bystander, limits, events);
    play.seekReached = streamClock(stream);
    ReportPhase("play after the seek", play.seek, bystander, limits);

    StartDeadline("target pause", 10);
    streamPause(stream, screen.primary(), duration / 3);
    TickBoth(target, bystander, 5);
    ClearDeadline();
    CheckBystanderMoves(bystander, limits);
    ReportPhase("pause", PhaseEnd::kEnded, bystander, limits);
    return play;
}

}  // namespace

int RunPlay(const HostOptions &options, const HostScreen &screen, const FaultControls &faults) {
    const FileMutation mutation(options.mutation, options.target, options.replacement);
    const Census before = WarmUp(screen, options.bystander);
    // The device's file changes only now: the warm-up's sound went elsewhere.
    if (!options.fifo.empty()) setenv("SDL_DISKAUDIOFILE", options.fifo.c_str(), 1);

    StreamSample *bystanderStream = OpenRecord("bystander open", options.bystander, nullptr, screen.directDraw());
    if (!bystanderStream) {
        std::printf("outcome setup-error bystander=refused\n");
        return kExitSetup;
    }
    TickingRecord bystander(bystanderStream, screen.primary(), true);
    TimedEvents events(options, faults, mutation);

    if (options.arm == HostOptions::Arm::kAtOpen) faults.Arm();
    StreamSample *targetStream =
        OpenRecord("target open", options.target, options.window ? screen.window() : nullptr, screen.directDraw());
    TargetPlay play;
    if (targetStream) {
        events.Start(Clock::now());
        play = PlayTarget(targetStream, bystander, screen, options, events);
        FreeRecord("target free", targetStream);
    }
    FreeRecord("bystander free", bystanderStream);
    faults.Disarm();

    Census after;
    if (options.fifo.empty()) {
        after = CheckLeftBehind(before, 3, nullptr, nullptr);
    } else {
        // Device threads blocked on the FIFO go on once it is read; the
        // drain's own descriptor is allowed for until it is closed.
        FifoDrain drain(options.fifo);
        Census draining = before;
        draining.fds += 1;
        SettleTo(draining, 10, FifoDrain::PumpFor, &drain);
        drain.Close();
        after = CheckLeftBehind(before, 1, nullptr, nullptr);
    }

    char target[160] = "refused";
    if (play.opened)
        std::snprintf(target, sizeof(target), "%s@%.2f,%s@%.2f/%.2f", PhaseEndName(play.play), play.playReached,
                      PhaseEndName(play.seek), play.seekReached, play.duration);
    const bool bystanderStalled = bystander.LongestPending() > options.stallSeconds;
    std::printf("outcome target=%s bystander=%s injected=%lu allocations=%lu %s\n", target,
                bystanderStalled ? "stall" : "played", faults.Injected(), faults.Allocations(),
                CensusText(before, after).c_str());
    std::fflush(stdout);

    if (const char *missed = events.Missed()) {
        std::fprintf(stderr, "fault_host: the target's play ended before %s came\n", missed);
        return kExitSetup;
    }
    if (events.MutationFailed()) return kExitSetup;
    if (play.Stalled() || bystanderStalled) {
        std::fprintf(stderr, "fault_host: a tick returned 2 for more than %.1f s, or the play never ended\n",
                     options.stallSeconds);
        return kExitStall;
    }
    return LeftBehind(before, after) ? kExitLeftBehind : kExitOk;
}

}  // namespace faulthost
