// Freeing a record waits for no device and no decoder: the device closes
// on a thread of its own, and a frame being decoded is finished by the
// decoding thread's worker alone. SDL's dummy driver takes one device at a
// time, so a movie opened right after a free must still get its sound once
// the freed device has closed.
#include "stream_fixture.h"

#include <standin/standin.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

namespace mmtest {
namespace {

using Steady = std::chrono::steady_clock;

TEST_F(StreamTest, MoviesOpenedRightAfterAFreeGetTheirSound) {
    moviegen::MovieRecipe recipe{moviegen::Kind::Mpeg4PcmAvi, 64, 48, 25, 1, 25, true};
    const std::string path = WriteMovie(recipe);
    std::atomic<int> buffers{0};
    StandinWatchAudio([](void *count, const short *, int, int, int) { ++*static_cast<std::atomic<int> *>(count); },
                      &buffers);
    for (int movie = 0; movie < 3; ++movie) {
        buffers = 0;
        ASSERT_EQ(Open(path, true), S_OK);
        ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
        const Steady::time_point until = Steady::now() + std::chrono::seconds(5);
        while (buffers < 3 && Steady::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_GE(buffers, 3) << "movie " << movie << " played silent";
        FreeRecord();
    }
    StandinWatchAudio(nullptr, nullptr);
}

// Freed while its decoding thread is mid-frame (the free clock decodes the
// next frame as soon as one is taken; about every other free here), a
// record lets go of its file at once, and the worker finishing the frame
// touches nothing of the freed stream, which the sanitizer lanes would
// report.
TEST_F(StreamTest, FreeMidDecodeLetsGoOfTheFile) {
    const std::string path = WriteMovie({moviegen::Kind::H264Mov, 1280, 720, 25, 1, 25, true});
    const auto descriptors = [] {
        const std::filesystem::directory_iterator entries("/proc/self/fd");
        return std::distance(begin(entries), end(entries));
    };
    ASSERT_EQ(Open(path, true), S_OK);  // what a first open sets up for good
    FreeRecord();
    const auto before = descriptors();
    for (int updates = 0; updates < 10; ++updates) {
        ASSERT_EQ(Open(path, true), S_OK);
        MakeSample();
        for (int update = 0; update < updates; ++update) ASSERT_EQ(UpdateNow(), S_OK);
        FreeRecord();
        EXPECT_EQ(descriptors(), before) << "freed after " << updates << " updates";
    }
}

}  // namespace
}  // namespace mmtest
