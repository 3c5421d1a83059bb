#include "deadline.h"

#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <atomic>

namespace faulthost {
namespace {

std::atomic<const char *> g_phase{""};

void Write(int fd, const char *text) {
    const ssize_t ignored = write(fd, text, strlen(text));
    (void)ignored;
}

// Runs on whichever thread takes SIGALRM; only async-signal-safe calls.
void OnDeadline(int) {
    const char *phase = g_phase.load();
    Write(STDOUT_FILENO, "outcome hang phase=");
    Write(STDOUT_FILENO, phase);
    Write(STDOUT_FILENO, "\n");
    Write(STDERR_FILENO, "fault_host: hang: the deadline of phase '");
    Write(STDERR_FILENO, phase);
    Write(STDERR_FILENO, "' passed\n");
    _exit(kExitHang);
}

}  // namespace

void StartDeadline(const char *phase, unsigned seconds) {
    static const bool installed = [] {
        struct sigaction action {};
        action.sa_handler = OnDeadline;
        sigemptyset(&action.sa_mask);
        return sigaction(SIGALRM, &action, nullptr) == 0;
    }();
    (void)installed;
    g_phase.store(phase);
    alarm(seconds);
}

void ClearDeadline() { alarm(0); }

}  // namespace faulthost
