// The drivers' lines on standard output.
#pragma once

#include <cstdio>

// Flushed at once, so that a watcher of the output sees each line as the
// run reaches it, even through a pipe.
inline void printProgressLine(const char *line) {
    std::fputs(line, stdout);
    std::fflush(stdout);
}
