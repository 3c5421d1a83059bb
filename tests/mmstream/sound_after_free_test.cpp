// Freeing a record with sound waits for no device: the device closes on a
// thread of its own. SDL's dummy driver takes one device at a time, so a
// movie opened right after a free must still get its sound once the freed
// device has closed.
#include "stream_fixture.h"

#include <standin/standin.h>

#include <atomic>
#include <chrono>
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

}  // namespace
}  // namespace mmtest
