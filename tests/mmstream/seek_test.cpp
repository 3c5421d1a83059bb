// After a seek the next frame is the one shown at the new position.
#include "stream_fixture.h"

#include <ddstream.h>

namespace mmtest {
namespace {

using moviegen::Kind;
using moviegen::MovieRecipe;

class SeekTest : public StreamTest, public ::testing::WithParamInterface<Kind> {
protected:
    void OpenMovie() {
        recipe_.kind = GetParam();
        recipe_.width = 96;
        recipe_.height = 64;
        recipe_.frames = 30;
        ASSERT_EQ(Open(recipe_), S_OK);
        MakeSample();
    }
    // The frame number after seeking to `time` and updating once.
    int FrameAfterSeek(STREAM_TIME time) {
        EXPECT_EQ(mm_->Seek(time), S_OK);
        EXPECT_EQ(UpdateNow(), S_OK);
        return ShownFrame();
    }
    MovieRecipe recipe_;
};

TEST_P(SeekTest, LandsOnTheFrameShownAtTheTime) {
    OpenMovie();
    const STREAM_TIME frame = moviegen::FrameStart100ns(recipe_, 1);
    EXPECT_EQ(FrameAfterSeek(moviegen::FrameStart100ns(recipe_, 20)), 20);
    EXPECT_EQ(ShownFrame(), 20);
    ASSERT_EQ(UpdateNow(), S_OK);
    EXPECT_EQ(ShownFrame(), 21) << "playing on from the new position";
    EXPECT_EQ(FrameAfterSeek(moviegen::FrameStart100ns(recipe_, 3) + frame / 2), 3) << "backward, mid-frame";
    EXPECT_EQ(FrameAfterSeek(moviegen::FrameStart100ns(recipe_, 17) - 1), 16) << "just before a frame starts";
    EXPECT_EQ(FrameAfterSeek(0), 0);
    EXPECT_EQ(FrameAfterSeek(moviegen::FrameStart100ns(recipe_, 29)), 29);
}

TEST_P(SeekTest, SeekToTheEndGivesEndOfStream) {
    OpenMovie();
    STREAM_TIME duration = 0;
    ASSERT_EQ(mm_->GetDuration(&duration), S_OK);
    ASSERT_EQ(mm_->Seek(duration), S_OK);
    EXPECT_EQ(UpdateNow(), MS_S_ENDOFSTREAM);
    ASSERT_EQ(mm_->Seek(duration * 3), S_OK);
    STREAM_TIME now = 0;
    mm_->GetTime(&now);
    EXPECT_EQ(now, duration * 3) << "the clock is not clamped";
    EXPECT_EQ(UpdateNow(), MS_S_ENDOFSTREAM);
    EXPECT_EQ(FrameAfterSeek(moviegen::FrameStart100ns(recipe_, 5)), 5) << "and back again";
}

INSTANTIATE_TEST_SUITE_P(Kinds, SeekTest,
                         ::testing::Values(Kind::RawRgbAvi, Kind::Mpeg4PcmAvi, Kind::Mpeg1Ps, Kind::Gif, Kind::H264Mov),
                         KindTestName);

}  // namespace
}  // namespace mmtest
