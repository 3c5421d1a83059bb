// The end-of-stream event: a host waiting on it wakes once the movie has
// played to its end, however its frames were asked for; a seek back
// resets it.
#include "stream_fixture.h"

#include <ddstream.h>

#include <thread>

namespace mmtest {
namespace {

enum class Play { UpdateByUpdate, Continuous, LastFrameOnly };

struct EndCase {
    const char *name;
    Play play;
    bool withSound;
};

std::ostream &operator<<(std::ostream &out, const EndCase &c) { return out << c.name; }

class EndOfStreamEventTest : public StreamTest, public testing::WithParamInterface<EndCase> {};

TEST_P(EndOfStreamEventTest, WaitingHostWakesAtTheEnd) {
    const EndCase &c = GetParam();
    moviegen::MovieRecipe recipe;
    recipe.kind = moviegen::Kind::Mpeg4PcmAvi;
    recipe.width = 64;
    recipe.height = 48;
    recipe.frames = 6;
    recipe.audio = c.withSound;
    ASSERT_EQ(Open(recipe, c.withSound), S_OK);
    MakeSample();
    EXPECT_EQ(mm_->GetEndOfStreamEventHandle(nullptr), E_POINTER);
    HANDLE end = nullptr;
    ASSERT_EQ(mm_->GetEndOfStreamEventHandle(&end), S_OK);
    ASSERT_NE(end, nullptr);

    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(WaitForSingleObject(end, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "round " << round;
        // Never woken, the waiting thread would keep the test from ending.
        std::thread host([end] { EXPECT_EQ(WaitForSingleObject(end, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0)); });
        ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
        HRESULT last = S_OK;
        switch (c.play) {
            case Play::UpdateByUpdate:
                EXPECT_EQ(PlayToEnd(recipe.frames + 1, &last), recipe.frames);
                break;
            case Play::Continuous:
                ASSERT_EQ(sample_->Update(SSUPDATE_CONTINUOUS, nullptr, nullptr, 0), S_OK);
                last = sample_->CompletionStatus(COMPSTAT_WAIT, INFINITE);
                break;
            case Play::LastFrameOnly:  // no update asked for after it
                ASSERT_EQ(mm_->Seek(moviegen::FrameStart100ns(recipe, recipe.frames - 1)), S_OK);
                last = UpdateNow();
                EXPECT_EQ(ShownFrame(), recipe.frames - 1);
                last = last == S_OK ? MS_S_ENDOFSTREAM : last;
                break;
        }
        EXPECT_EQ(last, MS_S_ENDOFSTREAM);
        host.join();
        EXPECT_EQ(WaitForSingleObject(end, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "it stays set";
        ASSERT_EQ(mm_->Seek(0), S_OK);
    }
    EXPECT_EQ(WaitForSingleObject(end, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "a seek back resets it";
}

INSTANTIATE_TEST_SUITE_P(Cases, EndOfStreamEventTest,
                         testing::Values(EndCase{"UpdateByUpdate", Play::UpdateByUpdate, false},
                                         EndCase{"UpdateByUpdateWithSound", Play::UpdateByUpdate, true},
                                         EndCase{"Continuous", Play::Continuous, false},
                                         EndCase{"LastFrameOnly", Play::LastFrameOnly, false}),
                         [](const testing::TestParamInfo<EndCase> &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mmtest
