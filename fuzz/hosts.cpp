#include "hosts.h"

namespace fuzzhost {

const std::vector<Host> &AllHosts() {
    static const std::vector<Host> hosts = {
        {"stream", PlayThroughStream},
        {"library", PlayThroughLibrary},
    };
    return hosts;
}

}  // namespace fuzzhost
