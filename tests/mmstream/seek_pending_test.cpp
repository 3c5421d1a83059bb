// A seek reaches an update that is already waiting for its frame's time
// (real clock).
#include "stream_fixture.h"

#include <ddstream.h>

namespace mmtest {
namespace {

using moviegen::MovieRecipe;

using SeekPendingTest = StreamTest;

// An update waiting for its time receives the frame of the new position.
TEST_F(SeekPendingTest, PendingUpdateReceivesTheNewPosition) {
    MovieRecipe recipe;
    recipe.width = 96;
    recipe.height = 64;
    recipe.frames = 20;
    ASSERT_EQ(Open(recipe), S_OK);
    MakeSample();
    ASSERT_EQ(UpdateNow(), S_OK);
    // Frame 0 again, 10 s ahead of the clock.
    ASSERT_EQ(mm_->Seek(-100000000), S_OK);
    ASSERT_EQ(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_S_PENDING);
    EXPECT_EQ(sample_->CompletionStatus(COMPSTAT_WAIT, 50), MS_S_PENDING) << "frame 0 is 10 s away";
    ASSERT_EQ(mm_->Seek(moviegen::FrameStart100ns(recipe, 12)), S_OK);
    EXPECT_EQ(sample_->CompletionStatus(COMPSTAT_WAIT, INFINITE), S_OK);
    EXPECT_EQ(ShownFrame(), 12);
}

}  // namespace
}  // namespace mmtest
