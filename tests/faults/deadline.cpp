#include "deadline.h"

#include <signal.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace faulthost {
namespace {

std::atomic<const char *> g_phase{""};

// FAULT_HOST_GDB names a gdb that prints every thread's stack when a
// deadline passes; its command line is made in advance, as the handler
// may not allocate.
char g_gdb[512];
char g_pid[32];
char *g_gdbArgs[] = {g_gdb, const_cast<char *>("-batch"), const_cast<char *>("-nx"), const_cast<char *>("-p"), g_pid,
                     const_cast<char *>("-ex"), const_cast<char *>("thread apply all bt"), nullptr};

// gdb's environment: the host's, less the preloaded shim and sanitizer.
char *g_gdbEnvironment[256];

void Write(int fd, const char *text) {
    const ssize_t ignored = write(fd, text, strlen(text));
    (void)ignored;
}

void PrintStacks() {
    if (g_gdb[0] == '\0') return;
    const pid_t child = fork();
    if (child == 0) {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        execve(g_gdb, g_gdbArgs, g_gdbEnvironment);
        _exit(127);
    }
    if (child > 0) waitpid(child, nullptr, 0);
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
    PrintStacks();
    _exit(kExitHang);
}

bool Install() {
    if (const char *gdb = std::getenv("FAULT_HOST_GDB")) {
        std::snprintf(g_gdb, sizeof(g_gdb), "%s", gdb);
        std::snprintf(g_pid, sizeof(g_pid), "%d", static_cast<int>(getpid()));
        size_t kept = 0;
        for (char **entry = environ; *entry && kept + 1 < sizeof(g_gdbEnvironment) / sizeof(*entry); ++entry)
            if (strncmp(*entry, "LD_PRELOAD=", 11) != 0) g_gdbEnvironment[kept++] = *entry;
        // Where ptrace is limited to a process's ancestors, let gdb in.
        prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
    }
    struct sigaction action {};
    action.sa_handler = OnDeadline;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGALRM, &action, nullptr) == 0;
}

}  // namespace

void StartDeadline(const char *phase, unsigned seconds) {
    static const bool installed = Install();
    (void)installed;
    g_phase.store(phase);
    alarm(seconds);
}

void ClearDeadline() { alarm(0); }

}  // namespace faulthost
