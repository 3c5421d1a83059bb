// The real-clock checks run in a child process of their own, whose
// environment lacks VIDSURF_CLOCK: the free clock's setting is the
// process's, and the other checks want it.
#pragma once

#include <string>

// The child's command-line switch, followed by the movie folder.
constexpr const char *kRealClockSwitch = "--real-clock";

// Runs this program as `self --real-clock dir` and adds the checks it
// reports; a child that does not report counts as one failed check.
void RunRealClockChild(const std::string &dir);
// In the child: leaves the counts for the parent.
void ReportToParent(const std::string &dir);
