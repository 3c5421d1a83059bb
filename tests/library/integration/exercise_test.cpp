// The scripted exercise through its command-line entry on a short real
// movie (free clock): the progress lines, and the movie's last frame left on
// the desktop's primary surface at its own size in the top-left corner.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <vidsurf.h>

#include "movie_files.h"
#include "screen_reader.h"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

TEST(LibraryExercise, PrintsEachProgressLineOnceInOrderAndEndsOnTheLastFrame) {
    MovieFiles files;
    const moviegen::MovieRecipe recipe = SmallMovie(moviegen::Kind::RawRgbAvi);
    std::string movie = files.write("short.avi", recipe);
    ASSERT_FALSE(movie.empty());
    std::string program = "reelrun", ignored = files.path("never-written.avi");
    std::vector<char *> argv = {&program[0], &movie[0], &ignored[0], nullptr};

    CaptureStdout();
    const int result = dshowtest(3, argv.data());
    EXPECT_EQ(GetCapturedStdout(), "seek 0\npause 1...\npause 2...\n");
    EXPECT_EQ(result, 1);
    CoUninitialize();  // the exercise leaves its own initialisation in place

    const ScreenReader screen(files.directDraw());
    ASSERT_NE(screen.primary(), nullptr);
    EXPECT_EQ(screen.frameIndex({0, 0, recipe.width, recipe.height}), recipe.frames - 1);
}

}  // namespace
