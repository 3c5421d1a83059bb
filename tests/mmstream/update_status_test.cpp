// Update and CompletionStatus: the statuses a caller polls for.
#include "stream_fixture.h"

#include <ddstream.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

namespace mmtest {
namespace {

using moviegen::MovieRecipe;

class UpdateStatusTest : public StreamTest {
protected:
    void SetUp() override {
        StreamTest::SetUp();
        recipe_.width = 96;
        recipe_.height = 64;
        recipe_.frames = 10;
        ASSERT_EQ(Open(recipe_), S_OK);
        MakeSample();
    }
    // Runs the stream with the clock far before frame 0, so an update
    // stays pending until the clock is moved.
    void RunFarBeforeTheMovie() {
        ASSERT_EQ(mm_->Seek(-100000000), S_OK);
        ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    }
    MovieRecipe recipe_;
};

TEST_F(UpdateStatusTest, StoppedStreamRefusesUpdates) {
    EXPECT_EQ(sample_->Update(0, nullptr, nullptr, 0), MS_E_NOTRUNNING);
    EXPECT_EQ(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_E_NOTRUNNING);
    EXPECT_EQ(sample_->CompletionStatus(COMPSTAT_WAIT, 0), S_OK) << "no update was ever issued";
}

TEST_F(UpdateStatusTest, SecondUpdateWhilePendingIsBusy) {
    RunFarBeforeTheMovie();
    ASSERT_EQ(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_S_PENDING);
    EXPECT_EQ(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_E_BUSY);
    EXPECT_EQ(sample_->Update(0, nullptr, nullptr, 0), MS_E_BUSY);
    ASSERT_EQ(mm_->SetState(STREAMSTATE_STOP), S_OK);
    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    EXPECT_EQ(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_E_BUSY) << "after a stop and run";
    EXPECT_EQ(sample_->CompletionStatus(0, 0), MS_S_PENDING);
    EXPECT_EQ(sample_->CompletionStatus(COMPSTAT_WAIT, 20), MS_S_PENDING);
}

TEST_F(UpdateStatusTest, NoUpdateOkWithdrawsThePendingUpdate) {
    RunFarBeforeTheMovie();
    ASSERT_EQ(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_S_PENDING);
    EXPECT_EQ(sample_->CompletionStatus(COMPSTAT_NOUPDATEOK, 0), MS_S_NOUPDATE);
    EXPECT_EQ(sample_->CompletionStatus(COMPSTAT_WAIT, 0), MS_S_NOUPDATE);
    // The frame that was waiting is not lost: the next update takes it.
    ASSERT_EQ(mm_->Seek(0), S_OK);
    ASSERT_EQ(UpdateNow(), S_OK);
    EXPECT_EQ(ShownFrame(), 0);
}

TEST_F(UpdateStatusTest, AbortWithdrawsThePendingUpdate) {
    RunFarBeforeTheMovie();
    ASSERT_EQ(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_S_PENDING);
    EXPECT_EQ(sample_->CompletionStatus(COMPSTAT_ABORT, 0), MS_S_NOUPDATE);
    EXPECT_EQ(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_S_PENDING) << "no longer busy";
}

// Stopping leaves the update pending; it completes once the stream runs.
TEST_F(UpdateStatusTest, StopWithUpdatePendingThenRunCompletesIt) {
    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    ASSERT_EQ(UpdateNow(), S_OK);  // frame 0; frame 1 is due at 40 ms
    ASSERT_EQ(mm_->Seek(moviegen::FrameStart100ns(recipe_, 1) - 100000000), S_OK);
    ASSERT_EQ(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_S_PENDING);
    ASSERT_EQ(mm_->SetState(STREAMSTATE_STOP), S_OK);
    ASSERT_EQ(mm_->Seek(moviegen::FrameStart100ns(recipe_, 5)), S_OK);
    EXPECT_EQ(sample_->CompletionStatus(COMPSTAT_WAIT, 50), MS_S_PENDING) << "a stopped clock stands still";
    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    EXPECT_EQ(sample_->CompletionStatus(COMPSTAT_WAIT, INFINITE), S_OK);
    EXPECT_EQ(ShownFrame(), 5);
}

// Meeting the end of the movie is a completion like any other: on a
// stopped stream it waits for the next run.
TEST_F(UpdateStatusTest, EndOfStreamMetWhileStoppedWaitsForTheRun) {
    RunFarBeforeTheMovie();
    ASSERT_EQ(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_S_PENDING);
    ASSERT_EQ(mm_->SetState(STREAMSTATE_STOP), S_OK);
    STREAM_TIME duration = 0;
    ASSERT_EQ(mm_->GetDuration(&duration), S_OK);
    ASSERT_EQ(mm_->Seek(duration), S_OK);
    EXPECT_EQ(sample_->CompletionStatus(COMPSTAT_WAIT, 50), MS_S_PENDING) << "the stream is stopped";
    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    EXPECT_EQ(sample_->CompletionStatus(COMPSTAT_WAIT, INFINITE), MS_S_ENDOFSTREAM);
}

TEST_F(UpdateStatusTest, AsyncUpdatesCompleteInOrder) {
    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    for (int i = 0; i < recipe_.frames; ++i) {
        const HRESULT issued = sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0);
        ASSERT_TRUE(issued == MS_S_PENDING || issued == S_OK) << std::hex << issued;
        ASSERT_EQ(sample_->CompletionStatus(COMPSTAT_WAIT, INFINITE), S_OK);
        ASSERT_EQ(ShownFrame(), i);
    }
    ASSERT_EQ(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_S_PENDING);
    EXPECT_EQ(sample_->CompletionStatus(COMPSTAT_WAIT, INFINITE), MS_S_ENDOFSTREAM);
}

// A host that polls (as a game loop does) gets each frame once it is due,
// written by whichever thread comes first, and the end after the last.
TEST_F(UpdateStatusTest, PolledUpdatesCompleteOnTimeInOrderToTheEnd) {
    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    HRESULT status = S_OK;
    for (int i = 0; status == S_OK; ++i) {
        const HRESULT issued = sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0);
        ASSERT_TRUE(issued == MS_S_PENDING || issued == S_OK) << std::hex << issued;
        for (int polls = 0; (status = sample_->CompletionStatus(0, 0)) == MS_S_PENDING && polls < 5000; ++polls)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (status != S_OK) {
            EXPECT_EQ(i, recipe_.frames);
            break;
        }
        ASSERT_EQ(ShownFrame(), i);
        STREAM_TIME start = 0, end = 0, now = 0;
        ASSERT_EQ(sample_->GetSampleTimes(&start, &end, &now), S_OK);
        EXPECT_GE(now - start, -10000) << "frame " << i << " at most 1 ms early";
    }
    EXPECT_EQ(status, MS_S_ENDOFSTREAM);
}

// A poll never waits for a surface that another thread of the host holds:
// the frame arrives once that thread lets go.
TEST_F(UpdateStatusTest, PollWhileAnotherThreadHoldsTheSurfaceAnswersAtOnce) {
    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    ASSERT_EQ(UpdateNow(), S_OK);
    std::promise<void> locked, release;
    std::thread holder([&] {
        DDSURFACEDESC description{};
        description.dwSize = sizeof(description);
        ASSERT_EQ(surface_->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DD_OK);
        locked.set_value();
        release.get_future().wait();
        surface_->Unlock(description.lpSurface);
    });
    locked.get_future().wait();
    ASSERT_EQ(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_S_PENDING);
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::milliseconds(300);  // frame 1 is due after 40 ms
    double longestMs = 0;
    while (Clock::now() < until) {
        const auto before = Clock::now();
        EXPECT_EQ(sample_->CompletionStatus(COMPSTAT_WAIT, 0), MS_S_PENDING);
        longestMs = std::max(longestMs, std::chrono::duration<double, std::milli>(Clock::now() - before).count());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_LT(longestMs, 150) << "a poll waited for the surface";
    release.set_value();
    holder.join();
    EXPECT_EQ(sample_->CompletionStatus(COMPSTAT_WAIT, INFINITE), S_OK);
    EXPECT_EQ(ShownFrame(), 1);
}

// No thread may touch the surface once the sample is gone, nor run once
// the stream is gone; ThreadSanitizer and AddressSanitizer watch these.
TEST_F(UpdateStatusTest, ReleasingSampleWithUpdatePendingWithdrawsIt) {
    RunFarBeforeTheMovie();
    ASSERT_EQ(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_S_PENDING);
    EXPECT_EQ(sample_->Release(), 0u);
    sample_ = nullptr;
    EXPECT_EQ(surface_->Release(), 0u) << "the sample gave its reference back";
    surface_ = nullptr;
}

TEST_F(UpdateStatusTest, ReleasingEverythingWhileDecodingIsSafe) {
    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    ASSERT_EQ(UpdateNow(), S_OK);
    ASSERT_TRUE(SUCCEEDED(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0)));
    // The library's teardown order, with the update possibly mid-write.
    EXPECT_EQ(sample_->Release(), 0u);
    sample_ = nullptr;
    ddStream_->Release();
    ddStream_ = nullptr;
    EXPECT_EQ(mm_->Release(), 0u);
    mm_ = nullptr;
}

TEST_F(UpdateStatusTest, SampleKeepsTheStreamsAlive) {
    ddStream_->Release();
    ddStream_ = nullptr;
    ASSERT_EQ(mm_->Release(), 0u) << "the sample keeps it alive without a reference of the host's";
    mm_ = nullptr;
    IMediaStream *stream = nullptr;
    ASSERT_EQ(sample_->GetMediaStream(&stream), S_OK);
    IMultiMediaStream *owner = nullptr;
    ASSERT_EQ(stream->GetMultiMediaStream(&owner), S_OK);
    EXPECT_EQ(owner->SetState(STREAMSTATE_RUN), S_OK);
    EXPECT_EQ(sample_->Update(0, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(ShownFrame(), 0);
    owner->Release();
    stream->Release();
}

}  // namespace
}  // namespace mmtest
