// gtest's main, after setting the environment the executable is built for
// (MMSTREAM_ENVIRONMENT: "NAME=value" pairs separated by spaces), so that
// the screen mode and the clock are the same under ctest and by hand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

int main(int argc, char **argv) {
    std::istringstream pairs(MMSTREAM_ENVIRONMENT);
    std::string pair;
    while (pairs >> pair) {
        const size_t equals = pair.find('=');
        if (equals != std::string::npos) setenv(pair.substr(0, equals).c_str(), pair.substr(equals + 1).c_str(), 1);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
