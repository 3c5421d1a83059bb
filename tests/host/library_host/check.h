// Counts the host's checks; a failed one is printed with its description.
#pragma once

#include <string>

void Check(bool ok, const std::string &what);
int PassedChecks();
int FailedChecks();
