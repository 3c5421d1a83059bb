#include "check.h"

#include <cstdio>

namespace {
int passed = 0;
int failed = 0;
}  // namespace

void Check(bool ok, const std::string &what) {
    (ok ? passed : failed)++;
    if (!ok) std::printf("FAILED: %s\n", what.c_str());
}

void AddChecks(int morePassed, int moreFailed) {
    passed += morePassed;
    failed += moreFailed;
}

int PassedChecks() { return passed; }
int FailedChecks() { return failed; }
