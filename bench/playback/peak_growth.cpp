#include "peak_growth.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

namespace {

// A "Vm...:" line of /proc/self/status in KiB, or -1.
long StatusKiB(const char *field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0) return std::stol(line.substr(length));
    return -1;
}

// Sets the peak (VmHWM) back to the present resident size.
bool ResetPeak() {
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
    clearRefs.flush();
    return static_cast<bool>(clearRefs);
}

// What the child sends back: the growth, or a message.
struct Report {
    long kib = -1;
    char message[120] = {};
};

[[noreturn]] void Child(int out, const std::function<bool(std::string *)> &prepare,
                        const std::function<bool(std::string *)> &work) {
    Report report;
    std::string error;
    const bool prepared = prepare(&error);
    if (prepared && !ResetPeak()) error = "cannot reset the peak resident size";
    if (prepared && error.empty()) {
        const long base = StatusKiB("VmRSS:");
        if (work(&error)) {
            const long peak = StatusKiB("VmHWM:");
            if (base < 0 || peak < 0) error = "cannot read the resident size";
            else report.kib = peak - base;
        }
    }
    std::strncpy(report.message, error.c_str(), sizeof report.message - 1);
    const ssize_t written = write(out, &report, sizeof report);
    // No destructors or exit handlers: they belong to the parent.
    _exit(written == sizeof report ? 0 : 1);
}

}  // namespace

long PeakGrowthKiB(const std::function<bool(std::string *)> &prepare, const std::function<bool(std::string *)> &work,
                   std::string *error) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        *error = "pipe failed";
        return -1;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        Child(pipeEnds[1], prepare, work);
    }
    close(pipeEnds[1]);
    Report report;
    const bool read = child > 0 && ::read(pipeEnds[0], &report, sizeof report) == sizeof report;
    close(pipeEnds[0]);
    int status = 0;
    if (child > 0) waitpid(child, &status, 0);
    if (!read || report.kib < 0) {
        *error = read && report.message[0] ? report.message : "the measuring process failed";
        return -1;
    }
    return report.kib;
}
