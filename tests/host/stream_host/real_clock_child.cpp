#include "real_clock_child.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "check.h"

extern char **environ;

namespace {

std::string CountsFile(const std::string &dir) { return dir + "/real-clock-counts"; }

}  // namespace

void RunRealClockChild(const std::string &dir) {
    std::vector<char *> env;
    for (char **entry = environ; *entry; ++entry)
        if (std::strncmp(*entry, "VIDSURF_CLOCK=", 14) != 0) env.push_back(*entry);
    env.push_back(nullptr);
    std::string self = "/proc/self/exe", flag = kRealClockSwitch, folder = dir;
    char *argv[] = {self.data(), flag.data(), folder.data(), nullptr};

    std::fflush(stdout);
    pid_t child = 0;
    int status = 0;
    const bool ran = posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv, env.data()) == 0 &&
                     waitpid(child, &status, 0) == child;
    int passed = 0, failed = 0;
    std::ifstream counts(CountsFile(dir));
    if (!(counts >> passed >> failed)) {
        Check(false, "the real-clock child reports its checks");
        return;
    }
    AddChecks(passed, failed);
    Check(ran && WIFEXITED(status) && WEXITSTATUS(status) == (failed == 0 ? 0 : 1),
          "the real-clock child exits with its verdict");
}

void ReportToParent(const std::string &dir) {
    std::ofstream counts(CountsFile(dir));
    counts << PassedChecks() << ' ' << FailedChecks() << '\n';
}
