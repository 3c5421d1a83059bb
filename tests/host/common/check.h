// Counts the host's checks; a failed one is printed with its description.
#pragma once

#include <string>

void Check(bool ok, const std::string &what);
// Counts checks made elsewhere (in a child process).
void AddChecks(int passed, int failed);
int PassedChecks();
int FailedChecks();
