// Seeking, the read-outs and the sample update, on a record wired to fakes.
#include <cmath>
#include <limits>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/fake_multimedia_stream.h"
#include "fakes/fake_video_stream.h"
#include "stream/advancing_sample.h"
#include "stream/stream_sample.h"
#include "stream/stream_time.h"

namespace {

using fakes::CallLog;
using testing::ElementsAre;
using testing::IsEmpty;

class LibraryStreamRecord : public testing::Test {
protected:
    LibraryStreamRecord() {
        record.mmStream = &mm;
        record.sample = &sample;
        record.duration = 50000000;
        record.currentTime = 1234;
        record.updateStatus = MS_S_PENDING;
    }

    CallLog log;
    fakes::FakeMultiMediaStream mm{&log};
    fakes::FakeStreamSample sample{&log};
    StreamSample record{};
};

struct SeekCase {
    const char *name;
    double seconds;
    bool stops;        // SetState(STOP) and no seek
    STREAM_TIME seekTo;
};

class LibrarySeek : public LibraryStreamRecord, public testing::WithParamInterface<SeekCase> {};

TEST_P(LibrarySeek, ChoosesByRangeAndClearsTheStatus) {
    const SeekCase &seek = GetParam();
    streamSeek(&record, seek.seconds);

    if (seek.stops) {
        EXPECT_THAT(log.calls, ElementsAre("mm.SetState(0)"));
    } else {
        EXPECT_THAT(log.calls, ElementsAre("mm.Seek(" + std::to_string(seek.seekTo) + ")"));
    }
    EXPECT_EQ(record.updateStatus, 0);
    EXPECT_EQ(record.currentTime, 1234);  // the clock read-out waits for the next read
    EXPECT_DOUBLE_EQ(streamClock(&record), 1234 / 1e7);
}

INSTANTIATE_TEST_SUITE_P(
    ArgumentRanges, LibrarySeek,
    testing::Values(SeekCase{"MinusOneParksAtTheEnd", -1.0, false, 50000000},
                    SeekCase{"MinusHalfParksAtTheEnd", -0.5, false, 50000000},
                    SeekCase{"TinyNegativeParksAtTheEnd", -1e-300, false, 50000000},
                    SeekCase{"JustBelowMinusOneStops", -1.0000001, true, 0},
                    SeekCase{"NotANumberStops", std::nan(""), true, 0},
                    SeekCase{"MinusInfinityStops", -std::numeric_limits<double>::infinity(), true, 0},
                    SeekCase{"ZeroSeeksToTheStart", 0.0, false, 0},
                    SeekCase{"HalfAUnitTruncatesToZero", 0.00000005, false, 0},
                    SeekCase{"SecondsTruncateNotRound", 1.23456789, false, 12345678},
                    SeekCase{"PastTheEndIsNotClamped", 20000.0, false, 200000000000},
                    SeekCase{"InfinitySaturates", std::numeric_limits<double>::infinity(), false,
                             std::numeric_limits<STREAM_TIME>::max()}),
    [](const testing::TestParamInfo<SeekCase> &info) { return std::string(info.param.name); });

TEST_F(LibraryStreamRecord, NullRecordIsAcceptedByTheSeekAndTheReadOuts) {
    streamSeek(nullptr, 1.0);
    EXPECT_EQ(streamClock(nullptr), 0.0);
    EXPECT_EQ(streamDuration(nullptr), 0.0);
    EXPECT_EQ(streamFrametime(nullptr), 0.0);
    EXPECT_THAT(log.calls, IsEmpty());
}

TEST_F(LibraryStreamRecord, StreamRectIsTheFrameSizeAndLeavesOutputsAloneWithoutARecord) {
    int width = -7, height = -7;
    streamRect(nullptr, &width, &height);
    EXPECT_EQ(width, -7);
    EXPECT_EQ(height, -7);
    record.frameRect = RECT{2, 3, 323, 244};
    streamRect(&record, &width, &height);
    EXPECT_EQ(width, 321);
    EXPECT_EQ(height, 241);
    EXPECT_THAT(log.calls, IsEmpty());
}

TEST_F(LibraryStreamRecord, ReadOutsConvertWithoutAskingTheStream) {
    record.currentTime = 25000000;
    record.frameTime = 400000;
    EXPECT_DOUBLE_EQ(streamClock(&record), 2.5);
    EXPECT_DOUBLE_EQ(streamDuration(&record), 5.0);
    EXPECT_DOUBLE_EQ(streamFrametime(&record), 40.0);  // milliseconds
    record.currentTime = -5000000;
    record.frameTime = 333667;
    EXPECT_DOUBLE_EQ(streamClock(&record), -0.5);
    EXPECT_DOUBLE_EQ(streamFrametime(&record), 33.3667);
    EXPECT_THAT(log.calls, IsEmpty());
}

TEST_F(LibraryStreamRecord, AdvancingSetsAStoppedStreamRunningFirst) {
    mm.state = STREAMSTATE_STOP;
    mm.clock = 800000;
    sample.updateResult = MS_S_PENDING;

    EXPECT_EQ(advancingSample(&record, SSUPDATE_ASYNC), MS_S_PENDING);
    EXPECT_THAT(log.calls, ElementsAre("mm.GetState", "mm.SetState(1)", "sample.Update(1)", "mm.GetTime"));
    EXPECT_EQ(record.updateStatus, MS_S_PENDING);
    EXPECT_EQ(record.currentTime, 800000);
    ASSERT_EQ(sample.updates.size(), 1u);
    EXPECT_EQ(sample.updates[0].event, nullptr);
    EXPECT_EQ(sample.updates[0].apc, nullptr);
    EXPECT_EQ(sample.updates[0].apcData, 0u);
}

TEST_F(LibraryStreamRecord, AdvancingLeavesARunningStreamAlone) {
    mm.state = STREAMSTATE_RUN;
    advancingSample(&record, 0);
    EXPECT_THAT(log.calls, ElementsAre("mm.GetState", "sample.Update(0)", "mm.GetTime"));
}

TEST_F(LibraryStreamRecord, AdvancingTreatsAFailedStateQueryAsStopped) {
    mm.state = STREAMSTATE_RUN;  // written, but the call failed
    mm.getStateResult = E_FAIL;
    advancingSample(&record, 0);
    EXPECT_THAT(mm.statesSet, ElementsAre(STREAMSTATE_RUN));
}

TEST_F(LibraryStreamRecord, AdvancingReadsTheClockAfterAFailedUpdate) {
    mm.clock = 77;
    sample.updateResult = MS_E_NOTRUNNING;
    EXPECT_EQ(advancingSample(&record, 0), MS_E_NOTRUNNING);
    EXPECT_EQ(record.updateStatus, MS_E_NOTRUNNING);
    EXPECT_EQ(record.currentTime, 77);
    EXPECT_EQ(log.calls.back(), "mm.GetTime");
}

}  // namespace

namespace {

// Every double converts to a defined stream time.
TEST(LibraryStreamTime, SecondsConvertTotallyAndSaturate) {
    constexpr STREAM_TIME kMax = std::numeric_limits<STREAM_TIME>::max();
    constexpr STREAM_TIME kMin = std::numeric_limits<STREAM_TIME>::min();
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        double seconds;
        STREAM_TIME units;
    } cases[] = {{1.23456789, 12345678}, {-2.5, -25000000},  {0.00000005, 0},   {std::nan(""), 0},
                 {-std::nan(""), 0},     {infinity, kMax},   {-infinity, kMin}, {1e300, kMax},
                 {-1e300, kMin},         {922337203686.0, kMax}, {5.7e-6, 56}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(secondsToStreamTime(c.seconds), c.units);
    }
}

}  // namespace
