// Movies that change or break on the way play on to their end, and frames
// larger than the platform takes are refused at open.
#include "stream_fixture.h"

#include <sys/resource.h>

#include <utility>

#include <ddstream.h>

namespace mmtest {
namespace {

using moviegen::Kind;
using moviegen::MovieRecipe;

MovieRecipe Small(Kind kind, int width = 96, int height = 64, int frames = 12) {
    MovieRecipe recipe;
    recipe.kind = kind;
    recipe.width = width;
    recipe.height = height;
    recipe.frames = frames;
    return recipe;
}

class ChangingMovieTest : public StreamTest {
protected:
    // Lets go of the movie, for the next case.
    void Restart() {
        TearDown();
        mm_ = nullptr, ddStream_ = nullptr, sample_ = nullptr, surface_ = nullptr, directDraw_ = nullptr;
        SetUp();
    }
};

// Every frame of either size is scaled into the sample: none fails, and a
// frame of twice the size still shows its number.
TEST_F(ChangingMovieTest, FrameSizeChangeMidStreamPlaysToTheEnd) {
    for (const MovieRecipe &second : {Small(Kind::Mpeg1Ps, 192, 128, 8), Small(Kind::Mpeg1Ps, 64, 48, 8)}) {
        SCOPED_TRACE(second.width);
        const std::string path = temp_.File("sizes" + std::to_string(second.width) + ".m1v");
        ASSERT_TRUE(moviegen::WriteSizeChange(path, Small(Kind::Mpeg1Ps), second));
        ASSERT_EQ(Open(path), S_OK);
        MakeSample();
        HRESULT last = S_OK;
        // The decoder may lose the frame it holds when the sequence changes.
        EXPECT_GE(PlayToEnd(50, &last), 19);
        if (second.width == 192) {
            EXPECT_EQ(ShownFrame(), 7) << "the last frame, at half its size";
        }
        EXPECT_EQ(last, MS_S_ENDOFSTREAM);
        Restart();
    }
}

// Damaged packets cost frames, never the rest of the movie.
TEST_F(ChangingMovieTest, UndecodableStretchPlaysToTheEnd) {
    for (Kind kind : {Kind::Mpeg1Ps, Kind::Mpeg4PcmAvi}) {
        SCOPED_TRACE(moviegen::KindName(kind));
        const MovieRecipe recipe = Small(kind, 96, 64, 40);
        const std::string path = temp_.File(std::string("damaged") + moviegen::KindExtension(kind));
        ASSERT_TRUE(moviegen::WriteGarbageRun(WriteMovie(recipe), path, 0.4, 3000, 7));
        ASSERT_EQ(Open(path), S_OK);
        MakeSample();
        HRESULT last = S_OK;
        EXPECT_GT(PlayToEnd(100, &last), recipe.frames / 2);
        EXPECT_EQ(last, MS_S_ENDOFSTREAM);
        EXPECT_EQ(ShownFrame(), recipe.frames - 1) << "the frames after the damage are shown";
        Restart();
    }
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Over 16384 pixels a side or 256 MiB of
// 32-bit pixels is refused before anything of that size is made.
TEST_F(ChangingMovieTest, HugeFramesAreRefusedAtOpen) {
    const std::string small = WriteMovie(Small(Kind::RawRgbAvi), "small");
    for (const auto &[width, height] : {std::pair{100000, 100000}, std::pair{9000, 8000}, std::pair{16400, 48}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const std::string path = temp_.File("huge.avi");
        ASSERT_TRUE(moviegen::WriteClaimedFrameSize(small, path, width, height));
        const long before = PeakKilobytes();
        EXPECT_EQ(Open(path), VFW_E_UNSUPPORTED_STREAM);
        EXPECT_LT(PeakKilobytes() - before, 64 * 1024) << "kilobytes more at the peak";
        mm_->Release();
        mm_ = nullptr;
    }
}

}  // namespace
}  // namespace mmtest
