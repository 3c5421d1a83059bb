// The stream clock on real time: no frame is written before its time, a
// stopped clock stands still, Seek sets it.
#include "stream_fixture.h"

#include <chrono>
#include <thread>

#include <ddstream.h>

namespace mmtest {
namespace {

using moviegen::MovieRecipe;

class ClockTest : public StreamTest {
protected:
    void SetUp() override {
        StreamTest::SetUp();
        recipe_.width = 64;
        recipe_.height = 48;
        recipe_.frames = 8;
        ASSERT_EQ(Open(recipe_), S_OK);
        MakeSample();
    }
    MovieRecipe recipe_;
};

// Checked against the stream's own clock, which only moves forward: a lower
// bound that holds however slow the machine is.
TEST_F(ClockTest, NoFrameIsWrittenBeforeItsTime) {
    for (int i = 0; i < recipe_.frames; ++i) {
        ASSERT_EQ(UpdateNow(), S_OK);
        STREAM_TIME now = 0;
        ASSERT_EQ(mm_->GetTime(&now), S_OK);
        EXPECT_GE(now, moviegen::FrameStart100ns(recipe_, i) - 10000) << "frame " << i;
        EXPECT_EQ(ShownFrame(), i);
    }
    EXPECT_EQ(UpdateNow(), MS_S_ENDOFSTREAM);
}

TEST_F(ClockTest, AsyncUpdateCompletesNoEarlierThanItsFrame) {
    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    ASSERT_EQ(mm_->Seek(moviegen::FrameStart100ns(recipe_, 3) - 100000), S_OK);  // 10 ms before frame 3
    ASSERT_EQ(UpdateNow(), S_OK);
    EXPECT_EQ(ShownFrame(), 2);
    ASSERT_EQ(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_S_PENDING);
    EXPECT_EQ(sample_->CompletionStatus(COMPSTAT_WAIT, INFINITE), S_OK);
    STREAM_TIME start = 0, end = 0, now = 0;
    ASSERT_EQ(sample_->GetSampleTimes(&start, &end, &now), S_OK);
    EXPECT_EQ(start, moviegen::FrameStart100ns(recipe_, 3));
    EXPECT_EQ(end, moviegen::FrameStart100ns(recipe_, 4));
    EXPECT_GE(now, start - 10000);
}

TEST_F(ClockTest, StoppedClockStandsStill) {
    STREAM_TIME first = -1, second = -1;
    EXPECT_EQ(mm_->GetTime(&first), S_FALSE);
    EXPECT_EQ(first, 0);
    ASSERT_EQ(mm_->Seek(1234567), S_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(mm_->GetTime(&second), S_FALSE);
    EXPECT_EQ(second, 1234567);
    STREAM_STATE state = STREAMSTATE_RUN;
    ASSERT_EQ(mm_->GetState(&state), S_OK);
    EXPECT_EQ(state, STREAMSTATE_STOP);
}

TEST_F(ClockTest, RunningClockAdvancesFromTheLastSeek) {
    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    ASSERT_EQ(mm_->Seek(50000000), S_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    STREAM_TIME now = 0;
    ASSERT_EQ(mm_->GetTime(&now), S_OK);
    EXPECT_GE(now, 50000000 + 200000);
    ASSERT_EQ(mm_->SetState(STREAMSTATE_STOP), S_OK);
    STREAM_TIME stopped = 0, later = 0;
    mm_->GetTime(&stopped);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    mm_->GetTime(&later);
    EXPECT_EQ(stopped, later);
    EXPECT_GE(stopped, now);
}

// A position at the far end of the clock's range does not wrap round to
// a negative time while the clock runs.
TEST_F(ClockTest, RunningClockAtTheEndOfItsRangeDoesNotWrap) {
    constexpr STREAM_TIME kLast = INT64_MAX - 1;
    ASSERT_EQ(mm_->Seek(kLast), S_OK);
    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    STREAM_TIME now = 0;
    ASSERT_EQ(mm_->GetTime(&now), S_OK);
    EXPECT_GE(now, kLast);
    ASSERT_EQ(mm_->SetState(STREAMSTATE_STOP), S_OK);
    mm_->GetTime(&now);
    EXPECT_GE(now, kLast) << "stopped where it stood";
}

}  // namespace
}  // namespace mmtest
