// The playback tick and the still frame, on a record wired to fakes: what
// each sample status leads to, and in which order the clock is read.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/fake_direct_draw.h"
#include "fakes/fake_multimedia_stream.h"
#include "fakes/fake_video_stream.h"
#include "stream/stream_sample.h"

namespace {

using fakes::CallLog;
using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;

constexpr STREAM_TIME kDuration = 50000000;

class LibraryPlayback : public testing::Test {
protected:
    LibraryPlayback() {
        mm.state = STREAMSTATE_RUN;
        mm.duration = kDuration;
        mm.clock = 4321;
        record.mmStream = &mm;
        record.sample = &sample;
        record.surface = &frame;
        record.duration = kDuration;
        record.frameRect = RECT{0, 0, 4, 2};
    }

    CallLog log;
    fakes::FakeMultiMediaStream mm{&log};
    fakes::FakeStreamSample sample{&log};
    fakes::FakeSurface frame{&log, "frame", 4, 2, 8};
    fakes::FakeSurface primary{&log, "primary", 640, 480, 640};
    StreamSample record{};
};

// One tick from a given state; the log names every platform call in order.
struct TickCase {
    const char *name;
    HRESULT statusBefore;
    STREAM_TIME clockBefore;             // currentTime as the last tick left it
    std::vector<HRESULT> updates;        // what each Update answers
    std::vector<HRESULT> completions;    // what each CompletionStatus answers
    int result;
    HRESULT statusAfter;
    std::vector<std::string> calls;
};

// Parameters print as their names, so test names stay readable.
void PrintTo(const TickCase &tick, std::ostream *out) { *out << tick.name; }

const std::vector<std::string> kStartAsync = {"mm.GetState", "sample.Update(1)", "mm.GetTime"};

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto &part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class LibraryTick : public LibraryPlayback, public testing::WithParamInterface<TickCase> {};

TEST_P(LibraryTick, ActsOnTheStatus) {
    const TickCase &tick = GetParam();
    record.updateStatus = tick.statusBefore;
    record.currentTime = tick.clockBefore;
    sample.updateScript.assign(tick.updates.begin(), tick.updates.end());
    sample.completionScript.assign(tick.completions.begin(), tick.completions.end());
    sample.updateResult = E_UNEXPECTED;  // a call the case did not script

    EXPECT_EQ(updateStreamSample(&record, &primary), tick.result);

    EXPECT_THAT(log.calls, ElementsAreArray(tick.calls));
    EXPECT_EQ(record.updateStatus, tick.statusAfter);
    EXPECT_EQ(record.currentTime, mm.clock);  // every tick ends with a clock read
    for (const auto &poll : sample.completions) {
        EXPECT_EQ(poll.flags, DWORD{COMPSTAT_WAIT});
        EXPECT_EQ(poll.milliseconds, 0u);  // a poll, never a wait
    }
}

INSTANTIATE_TEST_SUITE_P(
    StatusTable, LibraryTick,
    testing::Values(
        TickCase{"IdleStartsAnAsyncUpdate", 0, 0, {MS_S_PENDING}, {}, 2, MS_S_PENDING,
                 concat({kStartAsync, {"mm.GetTime"}})},
        TickCase{"PendingPollsAgain", MS_S_PENDING, 0, {}, {MS_S_PENDING}, 2, MS_S_PENDING,
                 {"sample.CompletionStatus", "mm.GetTime"}},
        TickCase{"CompletedPresentsAndStartsTheNext", MS_S_PENDING, 0, {MS_S_PENDING}, {S_OK}, 1, MS_S_PENDING,
                 concat({{"sample.CompletionStatus", "primary.Blt"}, kStartAsync, {"mm.GetTime"}})},
        TickCase{"ImmediateCompletionPresentsAtOnce", 0, 0, {S_OK, S_OK}, {}, 1, S_OK,
                 concat({kStartAsync, {"primary.Blt"}, kStartAsync, {"mm.GetTime"}})},
        TickCase{"EndShortOfTheDurationRuns", MS_S_PENDING, kDuration - 1, {}, {MS_S_ENDOFSTREAM}, 1,
                 MS_S_ENDOFSTREAM, {"sample.CompletionStatus", "mm.GetTime"}},
        TickCase{"EndAtTheDurationEnds", MS_S_ENDOFSTREAM, kDuration, {}, {MS_S_ENDOFSTREAM}, 0, 0,
                 {"sample.CompletionStatus", "mm.GetTime"}},
        TickCase{"EndPastTheDurationEnds", MS_S_ENDOFSTREAM, kDuration + 1, {}, {MS_S_ENDOFSTREAM}, 0, 0,
                 {"sample.CompletionStatus", "mm.GetTime"}},
        // Signed: a clock before the start is short of any duration.
        TickCase{"NegativeClockIsShortOfTheEnd", MS_S_ENDOFSTREAM, -5, {}, {MS_S_ENDOFSTREAM}, 1,
                 MS_S_ENDOFSTREAM, {"sample.CompletionStatus", "mm.GetTime"}},
        TickCase{"NoUpdateWaits", MS_S_PENDING, 0, {}, {MS_S_NOUPDATE}, 2, MS_S_NOUPDATE,
                 {"sample.CompletionStatus", "mm.GetTime"}},
        TickCase{"FailureWaitsAndKeepsTheStatus", MS_S_PENDING, 0, {}, {E_FAIL}, 2, E_FAIL,
                 {"sample.CompletionStatus", "mm.GetTime"}},
        // Seeks to the clock through seconds: 57 units come back as 56.
        TickCase{"AbortReseeksDecodesAndPresents", MS_S_PENDING, 57, {MS_S_ENDOFSTREAM, MS_S_PENDING}, {E_ABORT},
                 1, MS_S_PENDING,
                 concat({{"sample.CompletionStatus", "mm.Seek(56)", "mm.GetState", "sample.Update(0)", "mm.GetTime",
                          "primary.Blt"},
                         kStartAsync,
                         {"mm.GetTime"}})},
        TickCase{"AbortOnAnIdleStart", 0, 0, {E_ABORT, S_OK, MS_S_PENDING}, {}, 1, MS_S_PENDING,
                 concat({kStartAsync,
                         {"mm.Seek(4321)", "mm.GetState", "sample.Update(0)", "mm.GetTime", "primary.Blt"},
                         kStartAsync,
                         {"mm.GetTime"}})}),
    [](const testing::TestParamInfo<TickCase> &info) { return std::string(info.param.name); });

TEST_F(LibraryPlayback, EndIsJudgedOnTheClockOfTheLastTick) {
    record.updateStatus = MS_S_ENDOFSTREAM;
    record.currentTime = kDuration - 1;
    sample.updateResult = MS_S_ENDOFSTREAM;
    mm.clock = kDuration;  // reached now, but read only after the comparison

    EXPECT_EQ(updateStreamSample(&record, &primary), 1);
    EXPECT_EQ(record.currentTime, kDuration);
    EXPECT_EQ(updateStreamSample(&record, &primary), 0);
    EXPECT_EQ(record.updateStatus, 0);
    // No terminal state: the next tick starts over from where the stream is.
    log.clear();
    sample.updateResult = MS_S_PENDING;
    EXPECT_EQ(updateStreamSample(&record, &primary), 2);
    EXPECT_THAT(log.calls, ElementsAre("mm.GetState", "sample.Update(1)", "mm.GetTime", "mm.GetTime"));
    EXPECT_TRUE(primary.blts.empty());
}

TEST_F(LibraryPlayback, SeekMakesTheNextTickStartAFreshUpdate) {
    record.updateStatus = MS_S_PENDING;
    sample.updateResult = MS_S_PENDING;
    streamSeek(&record, 1.0);
    log.clear();

    EXPECT_EQ(updateStreamSample(&record, &primary), 2);
    EXPECT_THAT(log.calls, ElementsAre("mm.GetState", "sample.Update(1)", "mm.GetTime", "mm.GetTime"));
    EXPECT_TRUE(sample.completions.empty());
}

TEST_F(LibraryPlayback, NullRecordTouchesNothing) {
    EXPECT_EQ(updateStreamSample(nullptr, &primary), 0);
    streamPause(nullptr, &primary, 1.0);
    EXPECT_EQ(updateSurface(nullptr, &primary), 0);
    EXPECT_EQ(drawSurface(nullptr, &primary, 1), 0);
    EXPECT_EQ(redrawSurface(nullptr, &primary), 0);
    EXPECT_THAT(log.calls, IsEmpty());
}

struct PauseCase {
    const char *name;
    double seconds;
    HRESULT update;
    std::vector<std::string> calls;
    STREAM_TIME clockAfter;  // currentTime afterwards
};

void PrintTo(const PauseCase &pause, std::ostream *out) { *out << pause.name; }

class LibraryPause : public LibraryPlayback, public testing::WithParamInterface<PauseCase> {};

TEST_P(LibraryPause, ShowsTheFrameAndParksAtTheEnd) {
    const PauseCase &pause = GetParam();
    record.updateStatus = MS_S_PENDING;
    record.currentTime = 99;
    sample.updateResult = pause.update;

    streamPause(&record, &primary, pause.seconds);

    EXPECT_THAT(log.calls, ElementsAreArray(pause.calls));
    EXPECT_EQ(record.currentTime, pause.clockAfter);
    EXPECT_EQ(record.updateStatus, 0);
    EXPECT_THAT(mm.statesSet, IsEmpty());  // parked, never stopped
    for (const auto &update : sample.updates) EXPECT_EQ(update.flags, 0u);
}

const std::string kPark = "mm.Seek(" + std::to_string(kDuration) + ")";

INSTANTIATE_TEST_SUITE_P(
    Times, LibraryPause,
    testing::Values(
        // The clock reads the time asked for, not the one the decode left.
        PauseCase{"ShowsTheFrameAtTheTime", 2.5, S_OK,
                  {"mm.Seek(25000000)", "mm.GetState", "sample.Update(0)", "mm.GetTime", "primary.Blt", kPark},
                  25000000},
        PauseCase{"ZeroIsATime", 0.0, S_OK,
                  {"mm.Seek(0)", "mm.GetState", "sample.Update(0)", "mm.GetTime", "primary.Blt", kPark}, 0},
        PauseCase{"FailedDecodeShowsNothing", 2.5, MS_S_ENDOFSTREAM,
                  {"mm.Seek(25000000)", "mm.GetState", "sample.Update(0)", "mm.GetTime", kPark}, 25000000},
        PauseCase{"InfinitySaturates", std::numeric_limits<double>::infinity(), S_OK,
                  {"mm.Seek(" + std::to_string(std::numeric_limits<STREAM_TIME>::max()) + ")", "mm.GetState",
                   "sample.Update(0)", "mm.GetTime", "primary.Blt", kPark},
                  std::numeric_limits<STREAM_TIME>::max()},
        PauseCase{"NegativeOnlyParks", -3.0, S_OK, {kPark}, 99},
        PauseCase{"NotANumberOnlyParks", std::nan(""), S_OK, {kPark}, 99}),
    [](const testing::TestParamInfo<PauseCase> &info) { return std::string(info.param.name); });

}  // namespace
