// A movie whose file is cut short while it plays: the stream ends at the
// last frame it could show, and its clock is then at the movie's end, as
// after a whole play, instead of creeping on towards it.
#include "stream_fixture.h"

#include <unistd.h>

#include <filesystem>

namespace mmtest {
namespace {

class CutShortTest : public StreamTest {};

TEST_F(CutShortTest, TruncatedFileEndsTheStreamAtItsLastFrame) {
    moviegen::MovieRecipe recipe;
    recipe.width = 96;
    recipe.height = 64;
    recipe.frames = 100;  // 4 s, of which about a third is left
    const std::string path = WriteMovie(recipe);
    ASSERT_EQ(Open(path), S_OK);
    MakeSample();
    STREAM_TIME duration = 0;
    ASSERT_EQ(mm_->GetDuration(&duration), S_OK);

    for (int i = 0; i < 3; ++i) ASSERT_EQ(UpdateNow(), S_OK);
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(std::filesystem::file_size(path) / 3)), 0);

    HRESULT last = S_OK;
    const int shown = PlayToEnd(recipe.frames, &last);
    EXPECT_EQ(last, MS_S_ENDOFSTREAM);
    EXPECT_LT(shown, recipe.frames / 2) << "frames past the cut";
    STREAM_TIME now = 0;
    ASSERT_EQ(mm_->GetTime(&now), S_OK);
    EXPECT_GE(now, duration) << "the clock stays where the data ended";
    // A seek reads afresh: what is left of the file plays again.
    ASSERT_EQ(mm_->Seek(0), S_OK);
    ASSERT_EQ(UpdateNow(), S_OK);
    EXPECT_EQ(ShownFrame(), 0);
}

}  // namespace
}  // namespace mmtest
