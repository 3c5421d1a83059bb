#include "hosts.h"

namespace fuzzhost {

const std::vector<Host> &AllHosts() {
    static const std::vector<Host> hosts = {
        {"stream", PlayThroughStream},
    };
    return hosts;
}

}  // namespace fuzzhost
