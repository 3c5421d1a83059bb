// A surface of the host's own whose Lock calls back into the sample that
// writes into it: the stand-in calls it with no lock of its own held, so
// the update completes, whether the host's poll or the decoding thread
// writes the frame, and a wait for the update from inside the Lock
// returns instead of waiting for its own caller.
#include "stream_fixture.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include <ddstream.h>

#include "fakes/fake_direct_draw.h"

namespace mmtest {
namespace {

constexpr int kFrames = 12;

class HostSurfaceTest : public StreamTest {
protected:
    // What the sample answered from inside the surface's Lock.
    struct Answers {
        std::mutex mutex;
        std::vector<HRESULT> polls, waits, updates, times;
    };

    // Plays kFrames frames into `surface`: odd frames polled for by the
    // host, even ones waited for in a synchronous update. The start times
    // of the frames written.
    std::vector<STREAM_TIME> Play(IDirectDrawStreamSample *sample) {
        std::vector<STREAM_TIME> starts;
        EXPECT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
        for (int frame = 0; frame < kFrames; ++frame) {
            HRESULT hr;
            if (frame % 2) {
                hr = sample->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0);
                while (hr == MS_S_PENDING) hr = sample->CompletionStatus(0, 0);
            } else {
                hr = sample->Update(0, nullptr, nullptr, 0);
            }
            EXPECT_EQ(hr, S_OK) << "frame " << frame;
            STREAM_TIME start = -1;
            sample->GetSampleTimes(&start, nullptr, nullptr);
            starts.push_back(start);
        }
        return starts;
    }
};

TEST_F(HostSurfaceTest, LockThatCallsBackIntoTheSample) {
    moviegen::MovieRecipe recipe{moviegen::Kind::Mpeg4PcmAvi, 64, 48, 25, 1, kFrames + 2, false};
    ASSERT_EQ(Open(WriteMovie(recipe)), S_OK);
    MakeSample();  // for format_

    fakes::FakeSurface surface(nullptr, "host", 64, 48, 64 * 4);
    surface.bitsPerPixel = 32;
    surface.pixelFormat = format_.ddpfPixelFormat;
    std::atomic<IDirectDrawStreamSample *> sample{nullptr};
    Answers answers;
    surface.onLock = [&] {
        IDirectDrawStreamSample *const writing = sample.load();
        if (!writing) return;  // the sample is being made
        const HRESULT poll = writing->CompletionStatus(0, 0);
        const HRESULT wait = writing->CompletionStatus(COMPSTAT_WAIT, INFINITE);
        const HRESULT update = writing->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0);
        const HRESULT times = writing->GetSampleTimes(nullptr, nullptr, nullptr);
        std::lock_guard<std::mutex> lock(answers.mutex);
        answers.polls.push_back(poll);
        answers.waits.push_back(wait);
        answers.updates.push_back(update);
        answers.times.push_back(times);
    };
    IDirectDrawStreamSample *made = nullptr;
    ASSERT_EQ(ddStream_->CreateSample(&surface, nullptr, 0, &made), S_OK);
    sample = made;

    // A deadlock fails the test instead of hanging it: the scenario runs
    // aside, and the process ends if it does not come back.
    std::promise<std::vector<STREAM_TIME>> played;
    std::future<std::vector<STREAM_TIME>> result = played.get_future();
    std::thread([&] { played.set_value(Play(made)); }).detach();
    if (result.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        ADD_FAILURE() << "an update whose surface calls back into its sample never completed";
        std::_Exit(1);
    }
    const std::vector<STREAM_TIME> starts = result.get();
    for (size_t frame = 1; frame < starts.size(); ++frame)
        EXPECT_GT(starts[frame], starts[frame - 1]) << "frame " << frame;

    // Inside Lock the update is on its way: pending, and busy to another.
    ASSERT_GE(answers.polls.size(), static_cast<size_t>(kFrames));
    for (size_t call = 0; call < answers.polls.size(); ++call) {
        EXPECT_EQ(answers.polls[call], MS_S_PENDING) << call;
        EXPECT_EQ(answers.waits[call], MS_S_PENDING) << call;  // it cannot wait for its own caller
        EXPECT_EQ(answers.updates[call], MS_E_BUSY) << call;
        EXPECT_EQ(answers.times[call], S_OK) << call;
    }
    bool painted = false;
    for (BYTE byte : surface.pixels) painted = painted || byte != 0;
    EXPECT_TRUE(painted);

    sample = nullptr;
    EXPECT_EQ(made->Release(), 0u);
    EXPECT_EQ(surface.refs(), 1u);
}

// Runs `call` on a thread of its own; a call that has not returned after
// 30 s waits on a lock its own caller holds, and ends the test program.
void ReturnsWithoutDeadlock(const std::function<void()> &call, const char *what) {
    std::promise<void> returned;
    std::future<void> result = returned.get_future();
    std::thread([&] {
        call();
        returned.set_value();
    }).detach();
    if (result.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        ADD_FAILURE() << what << " was called under the stream's lock";
        std::_Exit(1);
    }
}

// A DirectDraw object of the host's whose QueryInterface and display mode
// ask the streams for their objects: the streams call it with no lock of
// their own held.
TEST_F(HostSurfaceTest, DirectDrawThatCallsBackIntoTheStream) {
    moviegen::MovieRecipe recipe{moviegen::Kind::Mpeg4PcmAvi, 64, 48, 25, 1, 3, false};
    const std::string path = WriteMovie(recipe);
    fakes::FakeDirectDraw host(nullptr);
    host.displayFrom = directDraw_;
    std::atomic<IDirectDrawMediaStream *> stream{nullptr};
    std::atomic<int> answered{0};
    host.onDisplayMode = [&] {
        IDirectDraw *asked = nullptr;
        if (IDirectDrawMediaStream *const calling = stream.load(); calling && calling->GetDirectDraw(&asked) == S_OK) {
            if (asked == &host) ++answered;
            if (asked) asked->Release();
        }
    };
    std::atomic<int> queried{0};
    host.onQueryInterface = [&] {
        IMediaStream *video = nullptr;
        if (mm_ && mm_->GetMediaStream(MSPID_PrimaryVideo, &video) == MS_E_NOSTREAM) ++queried;
        if (video) video->Release();
    };
    IDirectDraw *const screen = directDraw_;
    directDraw_ = &host;  // the stream's DirectDraw object
    HRESULT opened = E_FAIL;
    ReturnsWithoutDeadlock(
        [&] {
            CoInitialize(nullptr);  // COM is set up per thread
            opened = Open(path);
            CoUninitialize();
        },
        "the host's QueryInterface");
    ASSERT_EQ(opened, S_OK);
    EXPECT_GE(queried.load(), 1);
    directDraw_ = screen;
    stream = ddStream_;

    HRESULT described = E_FAIL;
    ReturnsWithoutDeadlock(
        [&] {
            DDSURFACEDESC desired{};
            desired.dwSize = sizeof(desired);
            described = ddStream_->GetFormat(nullptr, nullptr, &desired, nullptr);
        },
        "the host's GetDisplayMode");
    EXPECT_EQ(described, S_OK);
    EXPECT_GE(answered.load(), 1);
    stream = nullptr;
    FreeRecord();  // before `host` goes
}

}  // namespace
}  // namespace mmtest
