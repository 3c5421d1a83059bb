// The order in which the library called into the fakes.
#pragma once

#include <string>
#include <vector>

namespace fakes {

struct CallLog {
    std::vector<std::string> calls;

    void add(std::string call) { calls.push_back(std::move(call)); }
    void clear() { calls.clear(); }
    // The calls named `prefix`... in order, e.g. every "mm." call.
    std::vector<std::string> startingWith(const std::string &prefix) const {
        std::vector<std::string> picked;
        for (const std::string &call : calls)
            if (call.compare(0, prefix.size(), prefix) == 0) picked.push_back(call);
        return picked;
    }
};

}  // namespace fakes
