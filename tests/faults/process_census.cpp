#include "process_census.h"

#include <dirent.h>

#include <chrono>
#include <thread>

namespace faulthost {
namespace {

// Entries of a /proc directory, less "." and ".."; -1 when it cannot be read.
int CountEntries(const char *path, bool holdsListing) {
    DIR *dir = opendir(path);
    if (!dir) return -1;
    int count = 0;
    while (const dirent *entry = readdir(dir))
        if (entry->d_name[0] != '.') ++count;
    closedir(dir);
    return holdsListing ? count - 1 : count;  // the listing's own descriptor
}

}  // namespace

Census TakeCensus() {
    Census census;
    census.threads = CountEntries("/proc/self/task", false);
    census.fds = CountEntries("/proc/self/fd", true);
    return census;
}

Census SettleTo(const Census &baseline, double seconds, void (*meanwhile)(void *), void *context) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (meanwhile) meanwhile(context);
        const Census now = TakeCensus();
        if ((now.threads <= baseline.threads && now.fds <= baseline.fds) || std::chrono::steady_clock::now() >= until)
            return now;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::string CensusText(const Census &before, const Census &after) {
    return "threads " + std::to_string(before.threads) + "->" + std::to_string(after.threads) + " fds " +
           std::to_string(before.fds) + "->" + std::to_string(after.fds);
}

}  // namespace faulthost
