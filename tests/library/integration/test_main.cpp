// Runs the tests with the environment their executable was built for
// (LIBRARY_TEST_ENVIRONMENT: "NAME=value" pairs separated by spaces), set
// before the platform reads it. Values already in the environment win.
#include <cstdlib>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    std::istringstream pairs(LIBRARY_TEST_ENVIRONMENT);
    std::string pair;
    while (pairs >> pair) {
        const size_t equals = pair.find('=');
        if (equals != std::string::npos) setenv(pair.substr(0, equals).c_str(), pair.c_str() + equals + 1, 0);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
