// A movie with sound is timed by the sound device: the stand-in's virtual
// device (SDL_AUDIODRIVER=standin) takes samples at a pace the test sets.
#include "stream_fixture.h"

#include <standin/standin.h>

#include "mmstream/source/movie_source.h"

#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mmtest {
namespace {

using Steady = std::chrono::steady_clock;

// What the device took, as the host's audio watcher sees it.
struct Recording {
    std::mutex mutex;
    std::vector<int16_t> samples;  // interleaved stereo at 44100 Hz
};

void Record(void *context, const short *samples, int frames, int channels, int) {
    auto &recording = *static_cast<Recording *>(context);
    std::lock_guard<std::mutex> lock(recording.mutex);
    recording.samples.insert(recording.samples.end(), samples, samples + frames * channels);
}

struct Reading {
    double real;    // seconds since the run, just after GetTime
    double clock;   // GetTime in seconds
    double before;  // seconds since the run, just before GetTime
};

class SoundClockTest : public StreamTest {
protected:
    void TearDown() override {
        StandinWatchAudio(nullptr, nullptr);
        StreamTest::TearDown();
        unsetenv("VIDSURF_AUDIO_PACE");
    }

    // A 64x48 MPEG-4 AVI with the tone: its B-frames put the first frame a
    // frame after the sound's start. With `flashes`, white frames and beeps
    // at every whole second instead.
    std::string ToneMovie(int frames, bool flashes = false) {
        moviegen::MovieRecipe recipe;
        recipe.kind = moviegen::Kind::Mpeg4PcmAvi;
        recipe.width = 64;
        recipe.height = 48;
        recipe.frames = frames;
        recipe.audio = true;
        recipe.flashes = flashes;
        return WriteMovie(recipe);
    }

    // Runs the stream and reads its clock every 2 ms until it reaches
    // `until` seconds.
    std::vector<Reading> RunUntil(double until) {
        std::vector<Reading> readings;
        EXPECT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
        const Steady::time_point run = Steady::now();
        for (;;) {
            STREAM_TIME now = 0;
            const double before = std::chrono::duration<double>(Steady::now() - run).count();
            mm_->GetTime(&now);
            readings.push_back({std::chrono::duration<double>(Steady::now() - run).count(), now / 1e7, before});
            if (readings.back().clock >= until || readings.back().real > 3 * until + 5) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return readings;
    }
};

// The clock's pace from the reading at `from` seconds of clock to the one at `to`.
double PaceBetween(const std::vector<Reading> &readings, double from, double to) {
    auto at = [&](double clock) {
        return *std::find_if(readings.begin(), readings.end(), [&](const Reading &r) { return r.clock >= clock; });
    };
    const Reading a = at(from), b = at(to);
    return (b.clock - a.clock) / (b.real - a.real);
}

class SkewedDeviceTest : public SoundClockTest, public testing::WithParamInterface<double> {};

// The clock follows the device's pace while the sound plays; once the
// track has ended (1.96 s: it starts a frame before the picture) the clock
// goes on at the monotonic clock's pace, from where it stood.
TEST_P(SkewedDeviceTest, ClockFollowsTheDeviceThenTheMonotonicClock) {
    const double pace = GetParam();
    setenv("VIDSURF_AUDIO_PACE", std::to_string(pace).c_str(), 1);
    ASSERT_EQ(Open(ToneMovie(50), true), S_OK);
    const std::vector<Reading> readings = RunUntil(3.0);
    ASSERT_GE(readings.back().clock, 3.0);

    EXPECT_NEAR(PaceBetween(readings, 0.3, 1.8), pace, 0.02);
    EXPECT_NEAR(PaceBetween(readings, 2.3, 2.9), 1.0, 0.02);
    for (size_t i = 1; i < readings.size(); ++i) {
        const double step = readings[i].clock - readings[i - 1].clock;
        ASSERT_GE(step, 0) << "at " << readings[i].clock << " s";
        // The fastest pace the clock takes is 1.5. The two readings of the
        // clock lie within these real times, whenever the thread was
        // preempted around them.
        ASSERT_LE(step, 1.5 * (readings[i].real - readings[i - 1].before) + 0.0005) << "at " << readings[i].clock << " s";
    }
}

INSTANTIATE_TEST_SUITE_P(Paces, SkewedDeviceTest, testing::Values(1.1, 0.9));

// A track that starts a second after the picture is heard at its own time:
// the device plays silence before it, and the clock follows the device
// from the start at its pace, rather than racing to the sound's time.
TEST_F(SoundClockTest, SoundThatStartsLateIsHeardAtItsTime) {
    setenv("VIDSURF_AUDIO_PACE", "1.1", 1);
    moviegen::MovieRecipe recipe;
    recipe.kind = moviegen::Kind::Mpeg4PcmAvi;
    recipe.width = 64;
    recipe.height = 48;
    recipe.frames = 50;
    recipe.audio = true;
    const std::string path = temp_.File("late.mkv");
    ASSERT_TRUE(moviegen::WriteLateSound(path, recipe, moviegen::kAudioSampleRate));
    Recording recording;
    StandinWatchAudio(&Record, &recording);
    ASSERT_EQ(Open(path, true), S_OK);
    const std::vector<Reading> readings = RunUntil(1.5);
    StandinWatchAudio(nullptr, nullptr);
    EXPECT_NEAR(PaceBetween(readings, 0.2, 1.4), 1.1, 0.02);

    // The first sound, a second of silence (at the device's pace) after the run.
    std::lock_guard<std::mutex> lock(recording.mutex);
    const auto first = std::find_if(recording.samples.begin(), recording.samples.end(), [](int16_t s) { return s != 0; });
    ASSERT_NE(first, recording.samples.end());
    EXPECT_NEAR((first - recording.samples.begin()) / 2 / 44100.0, 1.0, 0.03);
}

// From the movie's start the track is heard from its own start, a frame
// (40 ms) before the first frame's time, and the first frame still comes
// at clock 0.
TEST_F(SoundClockTest, SoundBeforeTheFirstFrameIsHeard) {
    Recording recording;
    StandinWatchAudio(&Record, &recording);
    ASSERT_EQ(Open(ToneMovie(25), true), S_OK);
    MakeSample();
    ASSERT_EQ(UpdateNow(), S_OK);
    STREAM_TIME first = -1;
    mm_->GetTime(&first);
    EXPECT_GE(first, 0);
    EXPECT_LT(first, 50000);
    RunUntil(1.3);
    StandinWatchAudio(nullptr, nullptr);

    size_t begin = recording.samples.size(), end = 0;
    for (size_t i = 0; i < recording.samples.size(); ++i) {
        if (recording.samples[i] != 0) {
            begin = std::min(begin, i);
            end = i;
        }
    }
    ASSERT_LT(begin, end) << "only silence was taken";
    // 1 s of tone, the first 40 ms of it before the first frame.
    EXPECT_NEAR((end - begin) / 2 / 44100.0, 1.0, 0.004);
}

// Beep onsets as the device takes them: the first loud sample after at
// least 100 ms of quiet, timed from the moment its buffer was taken.
struct BeepTimes {
    std::mutex mutex;
    long quiet = 1 << 20;  // the first beep counts too
    std::vector<Steady::time_point> onsets;
};

void TimeBeeps(void *context, const short *samples, int frames, int channels, int rate) {
    const Steady::time_point taken = Steady::now();
    auto &beeps = *static_cast<BeepTimes *>(context);
    std::lock_guard<std::mutex> lock(beeps.mutex);
    for (int i = 0; i < frames; ++i) {
        const bool loud = std::abs(samples[i * channels]) >= 4000;
        if (loud && beeps.quiet >= rate / 10)
            beeps.onsets.push_back(taken + std::chrono::duration_cast<Steady::duration>(
                                               std::chrono::duration<double>(static_cast<double>(i) / rate)));
        beeps.quiet = loud ? 0 : beeps.quiet + 1;
    }
}

// After a pause and after a seek the sound starts again in step with the
// clock: when the device takes the beep of each whole second, the clock
// stands one device buffer (23 ms) before that second.
TEST_F(SoundClockTest, SoundStaysInStepAcrossAPauseAndASeek) {
    ASSERT_EQ(Open(ToneMovie(100, true), true), S_OK);
    BeepTimes beeps;
    StandinWatchAudio(&TimeBeeps, &beeps);

    std::vector<std::pair<Steady::time_point, double>> readings;
    bool paused = false, seeked = false;
    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    const Steady::time_point run = Steady::now();
    for (;;) {
        STREAM_TIME now = 0;
        mm_->GetTime(&now);
        readings.emplace_back(Steady::now(), now / 1e7);
        if (now >= 35000000 || Steady::now() - run > std::chrono::seconds(15)) break;
        if (!paused && now >= 15000000) {
            paused = true;
            mm_->SetState(STREAMSTATE_STOP);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            mm_->SetState(STREAMSTATE_RUN);
        } else if (!seeked && now >= 23000000) {
            seeked = true;
            mm_->Seek(26000000);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    StandinWatchAudio(nullptr, nullptr);

    // The clock when the device took each beep after the first.
    std::vector<double> clockAtBeeps;
    for (const Steady::time_point onset : beeps.onsets) {
        const auto after = std::find_if(readings.begin(), readings.end(), [&](const auto &r) { return r.first >= onset; });
        if (after == readings.begin() || after == readings.end()) continue;
        const auto before = after - 1;
        const double part = std::chrono::duration<double>(onset - before->first).count() /
                            std::chrono::duration<double>(after->first - before->first).count();
        clockAtBeeps.push_back(before->second + part * (after->second - before->second));
    }
    ASSERT_EQ(clockAtBeeps.size(), 4u) << "the beeps of 0, 1, 2 (after the pause) and 3 s (after the seek)";
    for (size_t second = 1; second < 4; ++second)
        EXPECT_NEAR(clockAtBeeps[second], second - 1024.0 / 44100, 0.008) << "the beep of " << second << " s";
}

// A pause plays on from the sound already decoded: the sound is not placed
// in the track again. A seek places picture and sound together: the frame
// at the seek's target waits for its sound and is written one device
// buffer (23 ms) after the device took its beep, as every other frame is.
TEST_F(SoundClockTest, APausePlaysOnAndASeekRestartsPictureAndSoundTogether) {
    using standin::mmstream::MovieSource;
    ASSERT_EQ(Open(ToneMovie(100, true), true), S_OK);
    MakeSample();
    BeepTimes beeps;
    StandinWatchAudio(&TimeBeeps, &beeps);
    auto playUntil = [&](STREAM_TIME until) {
        for (STREAM_TIME start = -1; start < until;) {
            ASSERT_EQ(UpdateNow(), S_OK);
            sample_->GetSampleTimes(&start, nullptr, nullptr);
        }
    };

    playUntil(12000000);
    const unsigned long placed = MovieSource::SeeksFor(MovieSource::kSound);
    ASSERT_EQ(mm_->SetState(STREAMSTATE_STOP), S_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    playUntil(22000000);
    EXPECT_EQ(MovieSource::SeeksFor(MovieSource::kSound), placed) << "the pause placed the sound again";

    ASSERT_EQ(mm_->Seek(30000000), S_OK);
    const Steady::time_point seeked = Steady::now();
    ASSERT_EQ(UpdateNow(), S_OK);
    const Steady::time_point shown = Steady::now();
    STREAM_TIME start = 0;
    sample_->GetSampleTimes(&start, nullptr, nullptr);
    EXPECT_EQ(start, 30000000);
    playUntil(32000000);
    EXPECT_EQ(MovieSource::SeeksFor(MovieSource::kSound), placed + 1);
    StandinWatchAudio(nullptr, nullptr);

    std::lock_guard<std::mutex> lock(beeps.mutex);
    const auto beep = std::find_if(beeps.onsets.begin(), beeps.onsets.end(), [&](Steady::time_point t) { return t >= seeked; });
    ASSERT_NE(beep, beeps.onsets.end());
    const double flashAfterBeepMs = std::chrono::duration<double, std::milli>(shown - *beep).count();
    EXPECT_NEAR(flashAfterBeepMs, 1024.0 / 44.1, 8)
        << "the flash at the seek's target, against its beep";
}

}  // namespace
}  // namespace mmtest
