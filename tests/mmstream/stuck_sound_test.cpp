// A sound device that does not answer stalls nothing but its own sound.
// SDL's disk driver writes into a FIFO the test holds: with no reader the
// driver's open never returns; with a reader that stops reading its writes
// block. Before, the first hung every later open for good, and the second
// the record's free; ctest's TIMEOUT fails such a hang.
#include "stream_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <utility>

namespace mmtest {
namespace {

using Steady = std::chrono::steady_clock;
using moviegen::MovieRecipe;

// What a reader takes before it stops: 15 of the driver's 4 KiB writes.
constexpr size_t kStallAfter = 60 << 10;

// 64x48 MPEG-4 at 25 frames a second.
MovieRecipe Movie(int frames, bool audio) { return {moviegen::Kind::Mpeg4PcmAvi, 64, 48, 25, 1, frames, audio}; }

// Reads the FIFO on a thread of its own: `first` bytes, then nothing until
// DrainToEnd, then on until every writer has closed it.
class FifoReader {
public:
    FifoReader(const std::string &path, size_t first) : fd_(open(path.c_str(), O_RDONLY | O_NONBLOCK)) {
        ended_ = std::async(std::launch::async, [this, first, drain = drain_.get_future()] {
            tookFirst_ = ReadUntil(first, Steady::now() + std::chrono::seconds(20));
            drain.wait();
            return ReadUntil(SIZE_MAX, Steady::now() + std::chrono::seconds(10));
        });
    }
    ~FifoReader() {
        DrainToEnd();
        close(fd_);
    }
    bool TookFirst() const { return tookFirst_; }
    // True when every writer closed the FIFO within 10 s.
    bool DrainToEnd() {
        if (ended_.valid()) {
            drain_.set_value();
            sawEnd_ = ended_.get();
        }
        return sawEnd_;
    }

private:
    // Reads `bytes` (SIZE_MAX: to the end) before `until`; whether it did.
    bool ReadUntil(size_t bytes, Steady::time_point until) {
        char buffer[4096];
        size_t taken = 0;
        while (taken < bytes && Steady::now() < until) {
            pollfd readable{fd_, POLLIN, 0};
            if (poll(&readable, 1, 50) <= 0) continue;
            const ssize_t got = read(fd_, buffer, std::min(bytes - taken, sizeof buffer));
            if (got == 0) return bytes == SIZE_MAX;  // the writers came and left
            if (got > 0) taken += static_cast<size_t>(got);
        }
        return taken >= bytes;
    }

    const int fd_;  // non-blocking: its open does not wait for a writer
    std::atomic<bool> tookFirst_{false};
    std::promise<void> drain_;
    std::future<bool> ended_;
    bool sawEnd_ = false;
};

class StuckSoundTest : public StreamTest {
protected:
    void SetUp() override {
        StreamTest::SetUp();
        fifo_ = temp_.File("sound.fifo");
        ASSERT_EQ(mkfifo(fifo_.c_str(), 0600), 0);
        setenv("SDL_DISKAUDIOFILE", fifo_.c_str(), 1);
    }

    // Plays the fixture's record to its end on the real clock: frames come
    // up to the last one, and the clock reaches it.
    void ExpectPlaysToEnd(const MovieRecipe &recipe) {
        HRESULT last = S_OK;
        EXPECT_GT(PlayToEnd(recipe.frames + 10, &last), recipe.frames / 2);
        EXPECT_EQ(last, MS_S_ENDOFSTREAM);
        EXPECT_EQ(ShownFrame(), recipe.frames - 1);
        STREAM_TIME now = 0;
        mm_->GetTime(&now);
        EXPECT_GE(now, moviegen::FrameStart100ns(recipe, recipe.frames - 1));
    }

    // "The free returned within 5 s", where it used to never return.
    void ExpectPromptFree() {
        const Steady::time_point start = Steady::now();
        FreeRecord();
        EXPECT_LT(Steady::now() - start, std::chrono::seconds(5));
    }

    // Opens, plays and frees a record with the audio renderer beside the
    // fixture's, which is set aside meanwhile.
    void PlayBeside(const MovieRecipe &recipe, const std::string &name) {
        auto *mm = std::exchange(mm_, nullptr);
        auto *ddStream = std::exchange(ddStream_, nullptr);
        auto *surface = std::exchange(surface_, nullptr);
        auto *sample = std::exchange(sample_, nullptr);
        ASSERT_EQ(Open(WriteMovie(recipe, name), true), S_OK) << name;
        MakeSample();
        ExpectPlaysToEnd(recipe);
        ExpectPromptFree();
        mm_ = mm, ddStream_ = ddStream, surface_ = surface, sample_ = sample;
    }

    // Plays the fixture's record with sound into a FIFO whose reader stops
    // reading, and frees it.
    void PlayIntoStalledReader(FifoReader &reader) {
        const MovieRecipe movie = Movie(75, true);
        ASSERT_EQ(Open(WriteMovie(movie), true), S_OK);
        MakeSample();
        ExpectPlaysToEnd(movie);
        EXPECT_TRUE(reader.TookFirst()) << "the sound never played";
        ExpectPromptFree();
    }

    std::string fifo_;
};

// No reader: the driver's open blocks. The movie plays on its own clock,
// other records open and play meanwhile (a silent movie, and one with
// sound, silent too while SDL's open hangs), and the free returns. Once a
// reader comes, the open ends and the device left behind closes itself.
TEST_F(StuckSoundTest, DeviceWhoseOpenNeverReturns) {
    const MovieRecipe movie = Movie(60, true);
    ASSERT_EQ(Open(WriteMovie(movie), true), S_OK);
    MakeSample();
    ExpectPlaysToEnd(movie);
    PlayBeside(Movie(10, false), "silent");
    PlayBeside(Movie(10, true), "sound");
    ExpectPromptFree();
    EXPECT_TRUE(FifoReader(fifo_, 0).DrainToEnd()) << "the device left behind did not close";
}

// A reader that takes the first 60 KiB, then stops reading: the pipe fills
// and the driver's write blocks, SDL's device thread with it. The picture
// goes on and the free returns. A host that ends then, the device still
// stuck, ends at once, although glibc's exit flushes every stdio stream
// (after 60 KiB the write that blocks is the flush of the 4 KiB the
// driver's stream holds). Once the reader drains the FIFO, the device left
// behind closes itself.
TEST_F(StuckSoundTest, DeviceThatStopsTakingSound) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, not a fork of this one's threads
    EXPECT_EXIT(
        {
            FifoReader reader(fifo_, kStallAfter);
            PlayIntoStalledReader(reader);
            std::filesystem::remove_all(temp_.path());
            std::exit(HasFailure() ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
    FifoReader reader(fifo_, kStallAfter);
    PlayIntoStalledReader(reader);
    EXPECT_TRUE(reader.DrainToEnd()) << "the device left behind did not close";
}

}  // namespace
}  // namespace mmtest
