// A sound device that does not answer stalls nothing but its own sound.
// SDL's disk driver writes into a FIFO the test holds: with no reader the
// driver's open never returns; with a reader that stops reading its writes
// block. Before, either hung every later open or the record's free for
// good; ctest's TIMEOUT fails such a hang.
#include "stream_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <utility>

namespace mmtest {
namespace {

using Steady = std::chrono::steady_clock;
using moviegen::MovieRecipe;

MovieRecipe Movie(int frames, bool audio) {
    MovieRecipe recipe;
    recipe.kind = moviegen::Kind::Mpeg4PcmAvi;
    recipe.width = 64;
    recipe.height = 48;
    recipe.frames = frames;
    recipe.audio = audio;
    return recipe;
}

// Reads the FIFO on a thread of its own: `first` bytes, then nothing until
// DrainToEnd, then everything until its writers have closed it.
class FifoReader {
public:
    FifoReader(const std::string &path, size_t first) : thread_([this, path, first] { Run(path, first); }) {}
    ~FifoReader() {
        DrainToEnd();
        thread_.join();
    }
    bool TookFirst() {
        std::unique_lock<std::mutex> lock(mutex_);
        return tookFirst_;
    }
    // True when every writer closed the FIFO within 10 s.
    bool DrainToEnd() {
        std::unique_lock<std::mutex> lock(mutex_);
        drain_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return finished_; });
        return sawEnd_;
    }

private:
    // 1 for bytes read, 0 at the end (writers came and left), -1 for none yet.
    static int ReadSome(int fd, size_t most, size_t *taken) {
        pollfd readable{fd, POLLIN, 0};
        if (poll(&readable, 1, 50) <= 0) return -1;
        char buffer[4096];
        const ssize_t got = read(fd, buffer, std::min(most, sizeof buffer));
        if (got > 0) *taken += static_cast<size_t>(got);
        return got > 0 ? 1 : got == 0 ? 0 : -1;
    }

    void Run(const std::string &path, size_t first) {
        // Non-blocking, so that the open does not wait for a writer.
        const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
        size_t taken = 0;
        for (const auto until = Steady::now() + std::chrono::seconds(20); taken < first && Steady::now() < until;)
            ReadSome(fd, first - taken, &taken);
        std::unique_lock<std::mutex> lock(mutex_);
        tookFirst_ = taken >= first;
        changed_.wait(lock, [this] { return drain_; });
        lock.unlock();
        bool end = false;
        for (const auto until = Steady::now() + std::chrono::seconds(10); !end && Steady::now() < until;)
            end = ReadSome(fd, 4096, &taken) == 0;
        close(fd);
        lock.lock();
        sawEnd_ = end;
        finished_ = true;
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    bool tookFirst_ = false, drain_ = false, sawEnd_ = false, finished_ = false;
    std::thread thread_;  // last: starts once the rest is in place
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
        IAMMultiMediaStream *mm = std::exchange(mm_, nullptr);
        IDirectDrawMediaStream *ddStream = std::exchange(ddStream_, nullptr);
        IDirectDrawSurface *surface = std::exchange(surface_, nullptr);
        IDirectDrawStreamSample *sample = std::exchange(sample_, nullptr);
        ASSERT_EQ(Open(WriteMovie(recipe, name), true), S_OK) << name;
        MakeSample();
        ExpectPlaysToEnd(recipe);
        ExpectPromptFree();
        mm_ = mm, ddStream_ = ddStream, surface_ = surface, sample_ = sample;
    }

    std::string fifo_;
};

// No reader: the driver's open blocks for good. The movie plays on its own
// clock, other records open and play meanwhile (a silent movie, and one
// with sound, silent too while SDL's open hangs), and the free returns.
// The opens stay stuck to the end: the test's process exits all the same.
TEST_F(StuckSoundTest, DeviceWhoseOpenNeverReturns) {
    const MovieRecipe movie = Movie(60, true);
    ASSERT_EQ(Open(WriteMovie(movie), true), S_OK);
    MakeSample();
    ExpectPlaysToEnd(movie);
    PlayBeside(Movie(10, false), "silent");
    PlayBeside(Movie(10, true), "sound");
    ExpectPromptFree();
}

// A reader that takes the first 64 KiB, then stops reading: the pipe fills
// and the driver's write blocks, SDL's device thread with it. The picture
// goes on, the free returns; once the reader drains the FIFO, the device
// left behind closes itself (the writer's end closes).
TEST_F(StuckSoundTest, DeviceThatStopsTakingSound) {
    FifoReader reader(fifo_, 64 << 10);
    const MovieRecipe movie = Movie(75, true);
    ASSERT_EQ(Open(WriteMovie(movie), true), S_OK);
    MakeSample();
    ExpectPlaysToEnd(movie);
    EXPECT_TRUE(reader.TookFirst()) << "the sound never played";
    ExpectPromptFree();
    EXPECT_TRUE(reader.DrainToEnd()) << "the device left behind did not close";
}

}  // namespace
}  // namespace mmtest
