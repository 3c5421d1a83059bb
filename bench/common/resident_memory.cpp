#include "common/resident_memory.h"

#include <unistd.h>

#include <fstream>

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long sizePages = 0, residentPages = 0;
    if (!(statm >> sizePages >> residentPages)) return -1;
    return residentPages * (sysconf(_SC_PAGESIZE) / 1024);
}
