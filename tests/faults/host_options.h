// The fault host's command line.
#pragma once

#include <string>

#include "file_mutation.h"

namespace faulthost {

struct HostOptions {
    enum class Mode { kPlay, kCycles };
    enum class Arm { kNever, kAtOpen, kAtTime };

    Mode mode = Mode::kPlay;
    std::string target;     // the movie under test
    std::string bystander;  // the movie playing alongside
    bool window = false;    // the target presents into a window smaller than its frames
    bool freeClock = true;
    Arm arm = Arm::kNever;
    double armAt = 0;       // kAtTime: seconds after the target opened
    Mutation mutation = Mutation::kNone;
    std::string replacement;
    double mutateAt = 2;    // seconds after the target opened
    std::string fifo;       // the sound device's file once the baseline is taken
    double stallSeconds = 3;
    int cycles = 2000;
};

// False, with *error set, when the arguments are not understood.
bool ParseHostOptions(int argc, char **argv, HostOptions *options, std::string *error);
extern const char kHostUsage[];

}  // namespace faulthost
