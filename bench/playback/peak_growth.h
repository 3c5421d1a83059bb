// The growth of peak resident memory while some work runs, measured in a
// child process of its own: the heap the parent kept from earlier work
// cannot hide it, and the work cannot leave anything behind.
#pragma once

#include <functional>
#include <string>

// Forks; the child runs `prepare`, takes its resident memory as the base,
// runs `work` and reports its peak above that base. -1 with *error set
// when the child fails or the peak cannot be read. Call it while no other
// thread runs.
long PeakGrowthKiB(const std::function<bool(std::string *)> &prepare, const std::function<bool(std::string *)> &work,
                   std::string *error);
