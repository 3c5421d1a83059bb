// Threads and descriptors of the process, to tell what a record left behind.
#pragma once

#include <string>

namespace faulthost {

struct Census {
    int threads = 0;  // entries of /proc/self/task
    int fds = 0;      // entries of /proc/self/fd
};

Census TakeCensus();

// Takes censuses until neither count is above `baseline` or `seconds` pass,
// calling `meanwhile` (may be null) between them; the last census.
Census SettleTo(const Census &baseline, double seconds, void (*meanwhile)(void *), void *context);

// "threads 5->5 fds 7->7".
std::string CensusText(const Census &before, const Census &after);

}  // namespace faulthost
