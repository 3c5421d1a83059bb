// What Update and CompletionStatus answer where Windows' answers are on
// record, and which frames reach the sample's surface: a withdrawal never
// waits for a frame, an update asked for after the end is answered at
// once, a continuous update writes every frame to the end, and an event
// is set when an update completes.
#include "stream_fixture.h"

#include <ddstream.h>

#include <mutex>
#include <vector>

#include "fakes/fake_direct_draw.h"

namespace mmtest {
namespace {

using moviegen::MovieRecipe;

constexpr int kFrames = 10;

// Where the sample stands when the call is made.
enum class Situation {
    Running,         // the stream runs at 0, nothing written yet
    PendingRunning,  // an update waits for frame 0, due 300 ms on
    PendingStopped,  // the same, then the stream stopped
    AfterTheEnd,     // every frame written and the end answered
};

enum class Call { CompletionStatus, Update, UpdateWithEvent, UpdateWithEventAndApc };

struct AnswerCase {
    const char *name;
    Situation situation;
    Call call;
    DWORD flags;
    HRESULT answer;   // of the call
    HRESULT outcome;  // once it completed (waited for on the event, or INFINITE)
    std::vector<int> written;  // the frames written into the surface, in order
};

std::ostream &operator<<(std::ostream &out, const AnswerCase &c) { return out << c.name; }

void CALLBACK NoApc(ULONG_PTR) {}

std::vector<int> Range(int first, int last) {
    std::vector<int> frames;
    for (int frame = first; frame <= last; ++frame) frames.push_back(frame);
    return frames;
}

class UpdateAnswersTest : public StreamTest, public testing::WithParamInterface<AnswerCase> {
protected:
    void SetUp() override {
        StreamTest::SetUp();
        recipe_.width = 96;
        recipe_.height = 64;
        recipe_.frames = kFrames;
        ASSERT_EQ(Open(recipe_), S_OK);
        MakeSample();  // for format_
        // A surface of the host's own, which tells each frame written.
        host_.bitsPerPixel = 32;
        host_.pixelFormat = format_.ddpfPixelFormat;
        host_.onUnlock = [this] {
            std::vector<uint8_t> rgb(static_cast<size_t>(width_) * height_ * 3);
            for (size_t i = 0; i < rgb.size() / 3; ++i)
                for (int c = 0; c < 3; ++c) rgb[i * 3 + c] = host_.pixels[i * 4 + 2 - c];
            const int frame = moviegen::ReadFrameIndex(rgb.data(), width_, height_, static_cast<size_t>(width_) * 3);
            std::lock_guard<std::mutex> lock(mutex_);
            written_.push_back(frame);
        };
        ASSERT_EQ(ddStream_->CreateSample(&host_, nullptr, 0, &hostSample_), S_OK);
        written_.clear();  // the sample looked at the surface
    }
    void TearDown() override {
        if (hostSample_) {
            EXPECT_EQ(hostSample_->Release(), 0u);
        }
        StreamTest::TearDown();
    }
    void Place(Situation situation) {
        ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
        if (situation == Situation::Running) return;
        if (situation == Situation::AfterTheEnd) {
            HRESULT last;
            while ((last = hostSample_->Update(0, nullptr, nullptr, 0)) == S_OK) {
            }
            ASSERT_EQ(last, MS_S_ENDOFSTREAM);
            return;
        }
        ASSERT_EQ(mm_->Seek(-3000000), S_OK);
        ASSERT_EQ(hostSample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_S_PENDING);
        if (situation == Situation::PendingStopped) {
            ASSERT_EQ(mm_->SetState(STREAMSTATE_STOP), S_OK);
        }
    }
    std::vector<int> Written() {
        std::lock_guard<std::mutex> lock(mutex_);
        return written_;
    }

    MovieRecipe recipe_;
    fakes::FakeSurface host_{nullptr, "host", 96, 64, 96 * 4};
    IDirectDrawStreamSample *hostSample_ = nullptr;
    std::mutex mutex_;
    std::vector<int> written_;
};

TEST_P(UpdateAnswersTest, AnswersAndFramesWritten) {
    const AnswerCase &c = GetParam();
    Place(c.situation);
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    HRESULT answer = E_FAIL;
    switch (c.call) {
        case Call::CompletionStatus:
            // INFINITE: a call that waited for a frame on a stopped stream
            // would never return, and the test would time out.
            answer = hostSample_->CompletionStatus(c.flags, INFINITE);
            break;
        case Call::Update:
            answer = hostSample_->Update(c.flags, nullptr, nullptr, 0);
            break;
        case Call::UpdateWithEvent:
            answer = hostSample_->Update(c.flags, event, nullptr, 0);
            EXPECT_EQ(WaitForSingleObject(event, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
            break;
        case Call::UpdateWithEventAndApc:
            answer = hostSample_->Update(c.flags, event, NoApc, 0);
            EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "nothing was issued";
            break;
    }
    EXPECT_EQ(answer, c.answer) << std::hex << answer;
    EXPECT_EQ(hostSample_->CompletionStatus(COMPSTAT_WAIT, INFINITE), c.outcome);
    EXPECT_EQ(Written(), c.written);
    EXPECT_TRUE(CloseHandle(event));

    // A withdrawn update loses no frame, and a seek back leaves the end.
    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    const int next = c.situation == Situation::AfterTheEnd ? 0 : c.written.empty() ? 0 : c.written.back() + 1;
    if (next >= kFrames) return;
    ASSERT_EQ(mm_->Seek(moviegen::FrameStart100ns(recipe_, next)), S_OK);
    ASSERT_EQ(hostSample_->Update(0, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(Written().back(), next);
}

// A continuous update ends at a stop, with the frame it wrote last, and
// at an abort; neither waits for a frame, and no frame follows.
TEST_F(UpdateAnswersTest, ContinuousUpdateEndsAtAStopAndAtAnAbort) {
    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    ASSERT_EQ(hostSample_->Update(SSUPDATE_ASYNC | SSUPDATE_CONTINUOUS, nullptr, nullptr, 0), MS_S_PENDING);
    while (Written().size() < 3) Sleep(1);
    EXPECT_EQ(hostSample_->Update(0, nullptr, nullptr, 0), MS_E_BUSY);
    ASSERT_EQ(mm_->SetState(STREAMSTATE_STOP), S_OK);
    EXPECT_EQ(hostSample_->CompletionStatus(COMPSTAT_WAIT, INFINITE), S_OK);
    const std::vector<int> atStop = Written();
    EXPECT_EQ(atStop, Range(0, static_cast<int>(atStop.size()) - 1));

    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    ASSERT_EQ(mm_->Seek(-3000000), S_OK);
    ASSERT_EQ(hostSample_->Update(SSUPDATE_ASYNC | SSUPDATE_CONTINUOUS, nullptr, nullptr, 0), MS_S_PENDING);
    EXPECT_EQ(hostSample_->CompletionStatus(COMPSTAT_WAIT | COMPSTAT_ABORT, INFINITE), MS_S_NOUPDATE);
    ASSERT_EQ(mm_->Seek(0), S_OK);
    Sleep(100);  // frames would be due now
    EXPECT_EQ(Written(), atStop) << "nothing written after the stop or the abort";
}

constexpr DWORD kWaitAbort = COMPSTAT_WAIT | COMPSTAT_ABORT;
constexpr DWORD kWaitNoUpdateOk = COMPSTAT_WAIT | COMPSTAT_NOUPDATEOK;
constexpr DWORD kContinuous = SSUPDATE_CONTINUOUS;
constexpr DWORD kAsyncContinuous = SSUPDATE_ASYNC | SSUPDATE_CONTINUOUS;
const std::vector<int> kNone, kFirst{0}, kAll = Range(0, kFrames - 1);

INSTANTIATE_TEST_SUITE_P(
    Cases, UpdateAnswersTest,
    testing::Values(
        // Withdrawals
        AnswerCase{"WaitForTheFrame", Situation::PendingRunning, Call::CompletionStatus, COMPSTAT_WAIT, S_OK, S_OK,
                   kFirst},
        AnswerCase{"AbortWithdrawsAtOnce", Situation::PendingRunning, Call::CompletionStatus, kWaitAbort,
                   MS_S_NOUPDATE, MS_S_NOUPDATE, kNone},
        AnswerCase{"NoUpdateOkWithdrawsAtOnce", Situation::PendingRunning, Call::CompletionStatus, kWaitNoUpdateOk,
                   MS_S_NOUPDATE, MS_S_NOUPDATE, kNone},
        AnswerCase{"AbortAfterAStop", Situation::PendingStopped, Call::CompletionStatus, kWaitAbort, MS_S_NOUPDATE,
                   MS_S_NOUPDATE, kNone},
        AnswerCase{"NoUpdateOkAfterAStop", Situation::PendingStopped, Call::CompletionStatus, kWaitNoUpdateOk,
                   MS_S_NOUPDATE, MS_S_NOUPDATE, kNone},
        // After the end
        AnswerCase{"UpdateAfterTheEnd", Situation::AfterTheEnd, Call::Update, 0, MS_S_ENDOFSTREAM, MS_S_ENDOFSTREAM,
                   kAll},
        AnswerCase{"AsyncUpdateAfterTheEnd", Situation::AfterTheEnd, Call::Update, SSUPDATE_ASYNC, MS_S_ENDOFSTREAM,
                   MS_S_ENDOFSTREAM, kAll},
        AnswerCase{"EventUpdateAfterTheEnd", Situation::AfterTheEnd, Call::UpdateWithEvent, 0, MS_S_ENDOFSTREAM,
                   MS_S_ENDOFSTREAM, kAll},
        // Continuous updates: every frame to the end
        AnswerCase{"ContinuousSynchronous", Situation::Running, Call::Update, kContinuous, S_OK, MS_S_ENDOFSTREAM,
                   kAll},
        AnswerCase{"ContinuousAsynchronous", Situation::Running, Call::Update, kAsyncContinuous, MS_S_PENDING,
                   MS_S_ENDOFSTREAM, kAll},
        AnswerCase{"ContinuousWithEvent", Situation::Running, Call::UpdateWithEvent, kContinuous, MS_S_PENDING,
                   MS_S_ENDOFSTREAM, kAll},
        // Events
        AnswerCase{"EventIsSetOnCompletion", Situation::Running, Call::UpdateWithEvent, 0, MS_S_PENDING, S_OK, kFirst},
        AnswerCase{"EventAndApcRefused", Situation::Running, Call::UpdateWithEventAndApc, 0, E_INVALIDARG, S_OK, kNone}),
    [](const testing::TestParamInfo<AnswerCase> &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mmtest
