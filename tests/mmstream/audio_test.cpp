// The default audio renderer plays the sound track on SDL2 audio. SDL's
// disk driver writes what it plays to a file, in real time.
#include "stream_fixture.h"

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include <ddstream.h>

namespace mmtest {
namespace {

using moviegen::MovieRecipe;

// The renderer's output: 16-bit stereo at 44100 Hz.
constexpr double kBytesPerSecond = 44100.0 * 2 * 2;

class AudioTest : public StreamTest {
protected:
    // Plays the movie to its end on the real clock, then lets the last
    // queued sound drain, and gives back what the device wrote.
    std::vector<int16_t> PlayAndRecord(const MovieRecipe &recipe) { return PlayAndRecord(WriteMovie(recipe)); }
    std::vector<int16_t> PlayAndRecord(const std::string &movie) {
        const std::string recording = temp_.File("played.raw");
        setenv("SDL_DISKAUDIOFILE", recording.c_str(), 1);
        EXPECT_EQ(Open(movie, true), S_OK);
        MakeSample();
        HRESULT hr;
        while ((hr = UpdateNow()) == S_OK) {
        }
        EXPECT_EQ(hr, MS_S_ENDOFSTREAM);
        STREAM_TIME now = 0, duration = 0;
        mm_->GetDuration(&duration);
        do {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            mm_->GetTime(&now);
        } while (now < duration + 3000000);
        TearDown();  // closes the device, which flushes the file
        mm_ = nullptr, ddStream_ = nullptr, sample_ = nullptr, surface_ = nullptr, directDraw_ = nullptr;
        SetUp();
        std::ifstream file(recording, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::vector<int16_t> samples(bytes.size() / 2);
        std::copy_n(bytes.data(), samples.size() * 2, reinterpret_cast<char *>(samples.data()));
        return samples;
    }
};

// The span from the first to the last sound, in seconds: the device plays
// silence around the track.
double SoundingSeconds(const std::vector<int16_t> &samples) {
    size_t first = samples.size(), last = 0;
    for (size_t i = 0; i < samples.size(); ++i)
        if (samples[i] != 0) {
            first = std::min(first, i);
            last = i;
        }
    EXPECT_LT(first, last) << "only silence was played";
    return first < last ? (last - first) * 2 / kBytesPerSecond : 0.0;
}

MovieRecipe WithSound(moviegen::Kind kind, int frames) {
    MovieRecipe recipe;
    recipe.kind = kind;
    recipe.width = 64;
    recipe.height = 48;
    recipe.frames = frames;
    recipe.audio = true;
    return recipe;
}

TEST_F(AudioTest, TrackIsPlayedForItsLength) {
    EXPECT_NEAR(SoundingSeconds(PlayAndRecord(WithSound(moviegen::Kind::Mpeg4PcmAvi, 12))), 0.48, 0.08);
}

// The resampler follows a track that turns from stereo to mono.
TEST_F(AudioTest, ChannelCountChangeMidTrackPlaysOn) {
    const std::string path = temp_.File("channels.mpg");
    ASSERT_TRUE(moviegen::WriteChannelChange(path, WithSound(moviegen::Kind::Mpeg1Ps, 15), 5));
    EXPECT_NEAR(SoundingSeconds(PlayAndRecord(path)), 0.6, 0.1);
}

// Starting the sound leaves Ctrl-C and kill to the host.
TEST_F(AudioTest, HostKeepsItsSignals) {
    setenv("SDL_DISKAUDIOFILE", temp_.File("played.raw").c_str(), 1);
    ASSERT_EQ(Open(WriteMovie(WithSound(moviegen::Kind::Mpeg4PcmAvi, 12)), true), S_OK);
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction action {};
        ASSERT_EQ(sigaction(signal, nullptr, &action), 0);
        EXPECT_EQ(action.sa_handler, SIG_DFL) << signal;
    }
}

// A movie without a sound track plays on its decoding thread alone.
TEST_F(AudioTest, SilentMovieStartsNoSoundThread) {
    const auto threads = [] {
        const std::filesystem::directory_iterator tasks("/proc/self/task");
        return std::distance(begin(tasks), end(tasks));
    };
    MovieRecipe recipe = WithSound(moviegen::Kind::Mpeg4PcmAvi, 12);
    recipe.audio = false;
    const std::string path = WriteMovie(recipe);
    // A thread first, so that a sanitizer's own helper thread is there.
    std::thread([] {}).join();
    const auto before = threads();
    ASSERT_EQ(Open(path, true), S_OK);
    EXPECT_EQ(threads(), before + 1);
}

}  // namespace
}  // namespace mmtest
