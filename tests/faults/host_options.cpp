#include "host_options.h"

#include <getopt.h>

#include <cstdlib>

namespace faulthost {

const char kHostUsage[] =
    "usage: fault_host play|cycles TARGET BYSTANDER [options]\n"
    "  play: opens BYSTANDER and TARGET, plays TARGET to its end, seeks to the middle,\n"
    "        plays to the end, pauses at a third and frees both, BYSTANDER looping all along\n"
    "  cycles: opens and frees TARGET --count times while BYSTANDER plays\n"
    "  --window            TARGET presents into a 200x150 window (frames are stretched)\n"
    "  --clock free|real   the stream clock (default free)\n"
    "  --arm open|SECONDS  arm the fault shim before TARGET opens, or SECONDS after\n"
    "  --mutate truncate|garbage|delete|replace   change TARGET's file mid-play\n"
    "  --replacement FILE  the movie --mutate replace puts in TARGET's place\n"
    "  --mutate-at SECONDS when to change it, after TARGET opened (default 2)\n"
    "  --fifo PATH         SDL's disk device writes into PATH (a FIFO) once the\n"
    "                      process's threads are counted; drained after the frees\n"
    "  --stall SECONDS     a tick returning 2 that long is a stall (default 3)\n"
    "  --count N           cycles (default 2000)\n";

namespace {

bool ParseSeconds(const char *text, double *seconds) {
    char *end = nullptr;
    *seconds = std::strtod(text, &end);
    return end != text && *end == '\0' && *seconds >= 0;
}

}  // namespace

bool ParseHostOptions(int argc, char **argv, HostOptions *options, std::string *error) {
    enum { kWindow = 1, kClock, kArm, kMutate, kReplacement, kMutateAt, kFifo, kStall, kCount };
    static const option kOptions[] = {{"window", no_argument, nullptr, kWindow},
                                       {"clock", required_argument, nullptr, kClock},
                                       {"arm", required_argument, nullptr, kArm},
                                       {"mutate", required_argument, nullptr, kMutate},
                                       {"replacement", required_argument, nullptr, kReplacement},
                                       {"mutate-at", required_argument, nullptr, kMutateAt},
                                       {"fifo", required_argument, nullptr, kFifo},
                                       {"stall", required_argument, nullptr, kStall},
                                       {"count", required_argument, nullptr, kCount},
                                       {nullptr, 0, nullptr, 0}};
    for (int opt; (opt = getopt_long(argc, argv, "", kOptions, nullptr)) != -1;) {
        const std::string value = optarg ? optarg : "";
        bool ok = true;
        switch (opt) {
            case kWindow: options->window = true; break;
            case kClock:
                ok = value == "free" || value == "real";
                options->freeClock = value == "free";
                break;
            case kArm:
                if (value == "open") {
                    options->arm = HostOptions::Arm::kAtOpen;
                } else {
                    options->arm = HostOptions::Arm::kAtTime;
                    ok = ParseSeconds(optarg, &options->armAt);
                }
                break;
            case kMutate: ok = ParseMutation(value, &options->mutation); break;
            case kReplacement: options->replacement = value; break;
            case kMutateAt: ok = ParseSeconds(optarg, &options->mutateAt); break;
            case kFifo: options->fifo = value; break;
            case kStall: ok = ParseSeconds(optarg, &options->stallSeconds) && options->stallSeconds > 0; break;
            case kCount:
                options->cycles = std::atoi(optarg);
                ok = options->cycles > 0;
                break;
            default: *error = "unknown option"; return false;
        }
        if (!ok) {
            *error = std::string("bad value for --") + kOptions[opt - 1].name + ": " + value;
            return false;
        }
    }
    if (argc - optind != 3) {
        *error = "expected a mode, a target and a bystander";
        return false;
    }
    const std::string mode = argv[optind];
    if (mode != "play" && mode != "cycles") {
        *error = "unknown mode " + mode;
        return false;
    }
    options->mode = mode == "play" ? HostOptions::Mode::kPlay : HostOptions::Mode::kCycles;
    options->target = argv[optind + 1];
    options->bystander = argv[optind + 2];
    if (options->mutation == Mutation::kReplace && options->replacement.empty()) {
        *error = "--mutate replace needs --replacement";
        return false;
    }
    return true;
}

}  // namespace faulthost
