// Benchmark main: sets the environment the executable is built for
// (VIDSURF_BENCH_ENVIRONMENT, "NAME=value" pairs separated by spaces) before
// the platform reads it on its first call.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <sstream>
#include <string>

int main(int argc, char **argv) {
    std::istringstream pairs(VIDSURF_BENCH_ENVIRONMENT);
    std::string pair;
    while (pairs >> pair) {
        const size_t equals = pair.find('=');
        if (equals != std::string::npos) setenv(pair.substr(0, equals).c_str(), pair.c_str() + equals + 1, 1);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
