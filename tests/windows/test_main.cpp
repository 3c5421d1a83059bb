// The Windows test program.
//   vidsurf_windows_tests --print-movies
//       prints "NAME MOVIEGEN-ARGUMENTS" for each movie the tests play
//   vidsurf_windows_tests --movies=DIR [gtest options]
//       runs the tests on the movies written to DIR
#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "movie_set.h"

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--print-movies") == 0) {
            for (const TestMovie &movie : AllTestMovies())
                std::printf("%s %s\n", movie.name.c_str(), MoviegenArguments(movie).c_str());
            return 0;
        }
        if (std::strncmp(argv[i], "--movies=", 9) == 0) SetMovieDirectory(argv[i] + 9);
    }
    return RUN_ALL_TESTS();
}
