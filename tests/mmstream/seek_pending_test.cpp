// A seek reaches an update that is already waiting for its frame's time
// (real clock).
#include "stream_fixture.h"

#include <ddstream.h>

#include <chrono>
#include <thread>

namespace mmtest {
namespace {

using moviegen::MovieRecipe;

class SeekPendingTest : public StreamTest {
protected:
    // A short, small movie, opened with its first frame shown.
    void OpenAndShowFirstFrame() {
        recipe_.width = 96;
        recipe_.height = 64;
        recipe_.frames = 20;
        ASSERT_EQ(Open(recipe_), S_OK);
        MakeSample();
        ASSERT_EQ(UpdateNow(), S_OK);
    }

    MovieRecipe recipe_;
};

// An update waiting for its time receives the frame of the new position.
TEST_F(SeekPendingTest, PendingUpdateReceivesTheNewPosition) {
    ASSERT_NO_FATAL_FAILURE(OpenAndShowFirstFrame());
    // Frame 0 again, 10 s ahead of the clock.
    ASSERT_EQ(mm_->Seek(-100000000), S_OK);
    ASSERT_EQ(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_S_PENDING);
    EXPECT_EQ(sample_->CompletionStatus(COMPSTAT_WAIT, 50), MS_S_PENDING) << "frame 0 is 10 s away";
    ASSERT_EQ(mm_->Seek(moviegen::FrameStart100ns(recipe_, 12)), S_OK);
    EXPECT_EQ(sample_->CompletionStatus(COMPSTAT_WAIT, INFINITE), S_OK);
    EXPECT_EQ(ShownFrame(), 12);
}

// The next frame is decoded ahead of its update, but only an update writes
// it; a seek while nothing is pending replaces it; a host polling without
// waiting sees the update through to its frame.
TEST_F(SeekPendingTest, FrameDecodedAheadWaitsForItsUpdateAndGivesWayToASeek) {
    ASSERT_NO_FATAL_FAILURE(OpenAndShowFirstFrame());
    ASSERT_EQ(ShownFrame(), 0);
    // Long enough for frame 1 to be decoded and due: still not written.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(ShownFrame(), 0);

    ASSERT_EQ(mm_->Seek(moviegen::FrameStart100ns(recipe_, 7)), S_OK);
    ASSERT_EQ(UpdateNow(), S_OK);
    EXPECT_EQ(ShownFrame(), 7);

    ASSERT_EQ(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_S_PENDING);
    HRESULT status = MS_S_PENDING;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (status == MS_S_PENDING && std::chrono::steady_clock::now() < giveUp)
        status = sample_->CompletionStatus(COMPSTAT_WAIT, 0);
    EXPECT_EQ(status, S_OK);
    EXPECT_EQ(ShownFrame(), 8);
    EXPECT_EQ(sample_->CompletionStatus(0, 0), S_OK) << "a finished update keeps its outcome";
}

}  // namespace
}  // namespace mmtest
