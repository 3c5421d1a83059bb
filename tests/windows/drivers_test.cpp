// The scripted exercise and its command-line entry on the real platform.
// They run on a thread of their own: the exercise leaves COM initialised on
// its thread, which the other tests' thread must not inherit.
#ifdef VIDSURF_HAS_DRIVERS

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <vidsurf.h>

#include "desktop_host.h"
#include "movie_set.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

struct DriverRun {
    int result = -1;
    std::string out;
    std::string err;
};

// Calls dshowtest with `arguments` on a fresh thread, capturing what it
// prints.
DriverRun RunDshowtest(std::vector<std::string> arguments) {
    std::vector<char *> argv;
    for (std::string &argument : arguments) argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    DriverRun run;
    CaptureStdout();
    CaptureStderr();
    std::thread([&] { run.result = dshowtest(int(arguments.size()), argv.data()); }).join();
    run.err = GetCapturedStderr();
    run.out = GetCapturedStdout();
    return run;
}

TEST(WindowsDrivers, WithoutAMovieTheEntryPrintsItsUsage) {
    const DriverRun run = RunDshowtest({"reelrun"});
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.out, "Usage : reelrun movie.ext\n");
    EXPECT_EQ(run.err, "");
}

// The exercise plays the movie, seeks far beyond its end three times and
// pauses twice; each of its loops ends with the movie, so the run takes a
// few times the movie's length.
TEST(WindowsDrivers, TheExercisePrintsItsProgressLinesInOrder) {
    const DriverRun run = RunDshowtest({"reelrun", MoviePath(MjpegMovie().name), "ignored"});
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.out, "seek 0\npause 1...\npause 2...\n");
    EXPECT_EQ(run.err, "");
}

TEST(WindowsDrivers, AMovieThatCannotBeOpenedPrintsNoProgress) {
    const std::string file = MoviePath("nowhere.avi");
    const DriverRun run = RunDshowtest({"reelrun", file});
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Error in create MMStream for " + file + "\n");

    DesktopHost host;
    ASSERT_TRUE(host.ready());
    int rendered = -1;
    CaptureStdout();
    CaptureStderr();
    std::thread([&] { rendered = dshowRender(file.c_str(), nullptr, host.directDraw(), host.primary()); }).join();
    EXPECT_EQ(GetCapturedStderr(), "Error in create MMStream for " + file + "\n");
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(rendered, 0);
}

}  // namespace

#endif  // VIDSURF_HAS_DRIVERS
