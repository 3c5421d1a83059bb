// Opening real movies on a 32-bit screen (VIDSURF_DISPLAY=640x480x32,
// VIDSURF_CLOCK=free): the first frame, the geometry, the clock values, no
// palette, and the files that cannot be opened.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>
#include <standin/standin.h>

#include "movie_files.h"
#include "stream/stream_sample.h"
#include "surface_pixels.h"

namespace {

using moviegen::Kind;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

ULONG refsOf(IUnknown *object) {
    object->AddRef();
    return object->Release();
}

class LibraryMovieOpen : public testing::TestWithParam<Kind> {};

TEST_P(LibraryMovieOpen, FirstFrameGeometryAndTimes) {
    MovieFiles files;
    moviegen::MovieRecipe recipe = SmallMovie(GetParam());
    recipe.audio = moviegen::KindHasAudio(recipe.kind);
    const std::string file = files.write(std::string("movie") + moviegen::KindExtension(recipe.kind), recipe);
    ASSERT_FALSE(file.empty());

    StreamSample *stream = createStreamSample(file.c_str(), nullptr, files.directDraw());
    ASSERT_NE(stream, nullptr);

    EXPECT_EQ(stream->updateStatus, S_OK);
    STREAM_STATE state = STREAMSTATE_STOP;
    stream->mmStream->GetState(&state);
    EXPECT_EQ(state, STREAMSTATE_RUN);

    EXPECT_EQ(stream->frameRect.left, 0);
    EXPECT_EQ(stream->frameRect.top, 0);
    EXPECT_EQ(stream->frameRect.right, recipe.width);
    EXPECT_EQ(stream->frameRect.bottom, recipe.height);
    int width = -1, height = -1;
    streamRect(stream, &width, &height);
    EXPECT_EQ(width, recipe.width);
    EXPECT_EQ(height, recipe.height);
    SurfacePicture picture;
    ASSERT_TRUE(ReadSurface(stream->surface, nullptr, &picture));
    EXPECT_EQ(picture.width, DWORD(recipe.width));
    EXPECT_EQ(picture.height, DWORD(recipe.height));
    EXPECT_EQ(picture.bitsPerPixel, 32u);
    EXPECT_EQ(moviegen::ReadFrameIndex(picture.rgb.data(), recipe.width, recipe.height, recipe.width * 3), 0);

    EXPECT_DOUBLE_EQ(streamFrametime(stream), 40.0);
    EXPECT_NEAR(streamDuration(stream), moviegen::MovieDuration100ns(recipe) / 1e7, 0.04);
    EXPECT_DOUBLE_EQ(streamClock(stream), stream->currentTime / 1e7);

    // A true-colour screen gives the stream no palette.
    unsigned char rgb[768] = {};
    EXPECT_EQ(streamPalette(stream, rgb), 0);
    EXPECT_EQ(stream->ddPalette, nullptr);
    EXPECT_EQ(stream->logPalette, nullptr);
    EXPECT_EQ(stream->hPalette, nullptr);

    freeStreamSample(stream);
}

INSTANTIATE_TEST_SUITE_P(EachKind, LibraryMovieOpen, testing::ValuesIn(moviegen::AllKinds()), KindTestName);

TEST(LibraryMovieOpenPixels, RawMovieArrivesExactly) {
    MovieFiles files;
    const moviegen::MovieRecipe recipe = SmallMovie(Kind::RawRgbAvi);
    const std::string file = files.write("raw.avi", recipe);
    StreamSample *stream = createStreamSample(file.c_str(), nullptr, files.directDraw());
    ASSERT_NE(stream, nullptr);

    SurfacePicture picture;
    ASSERT_TRUE(ReadSurface(stream->surface, nullptr, &picture));
    EXPECT_EQ(picture.rgb, moviegen::FrameRgb24(recipe, 0));
    freeStreamSample(stream);
}

TEST(LibraryMovieOpenPixels, NameLongerThanMaxPathOpens) {
    MovieFiles files;
    const std::string name = std::string(250, 'n') + ".avi";  // directory + name > 259
    const std::string file = files.write(name, SmallMovie(Kind::RawRgbAvi));
    ASSERT_GT(file.size(), 259u);

    StreamSample *stream = createStreamSample(file.c_str(), nullptr, files.directDraw());
    EXPECT_NE(stream, nullptr);
    freeStreamSample(stream);
}

class LibraryMovieOpenFailure : public testing::Test {
protected:
    void expectRefused(const std::string &file) {
        const ULONG comBefore = StandinComInitCount();
        CaptureStderr();
        StreamSample *stream = createStreamSample(file.c_str(), nullptr, files.directDraw());
        EXPECT_EQ(GetCapturedStderr(), "Error in create MMStream for " + file + "\n");
        EXPECT_EQ(stream, nullptr);
        EXPECT_EQ(StandinComInitCount(), comBefore);
        freeStreamSample(stream);
    }

    MovieFiles files;
};

TEST_F(LibraryMovieOpenFailure, MissingFile) { expectRefused(files.path("nowhere.avi")); }

TEST_F(LibraryMovieOpenFailure, GarbageFile) {
    const std::string file = files.path("garbage.avi");
    ASSERT_TRUE(moviegen::WriteGarbage(file, 64 * 1024, 7));
    expectRefused(file);
}

TEST_F(LibraryMovieOpenFailure, EmptyFile) {
    const std::string file = files.path("empty.avi");
    ASSERT_TRUE(moviegen::WriteZeroLength(file));
    expectRefused(file);
}

TEST(LibraryMovieLifetime, OpenAndFreeInALoopLeavesNothingBehind) {
    MovieFiles files;
    const std::string file = files.write("loop.avi", SmallMovie(Kind::Mpeg4PcmAvi));
    const ULONG comBefore = StandinComInitCount();
    const ULONG hostRefs = refsOf(files.directDraw());

    for (int i = 0; i < 20; ++i) {
        StreamSample *stream = createStreamSample(file.c_str(), nullptr, files.directDraw());
        ASSERT_NE(stream, nullptr) << "round " << i;
        EXPECT_EQ(StandinComInitCount(), comBefore + 1);
        freeStreamSample(stream);
    }
    EXPECT_EQ(StandinComInitCount(), comBefore);
    EXPECT_EQ(refsOf(files.directDraw()), hostRefs);
}

TEST(LibraryMovieLifetime, FreeingOneRecordLeavesAnotherPlaying) {
    MovieFiles files;
    moviegen::MovieRecipe recipe = SmallMovie(Kind::Mpeg4PcmAvi);
    recipe.audio = true;
    const std::string first = files.write("first.avi", recipe);
    const std::string second = files.write("second.avi", recipe);
    const ULONG comBefore = StandinComInitCount();

    StreamSample *gone = createStreamSample(first.c_str(), nullptr, files.directDraw());
    StreamSample *kept = createStreamSample(second.c_str(), nullptr, files.directDraw());
    ASSERT_NE(gone, nullptr);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(StandinComInitCount(), comBefore + 2);
    freeStreamSample(gone);
    EXPECT_EQ(StandinComInitCount(), comBefore + 1);

    // The second record still decodes, its frames and clock moving on.
    SurfacePicture picture;
    for (int frame = 1; frame <= 3; ++frame) {
        SCOPED_TRACE(frame);
        ASSERT_EQ(kept->sample->Update(0, nullptr, nullptr, 0), S_OK);
        ASSERT_TRUE(ReadSurface(kept->surface, nullptr, &picture));
        EXPECT_EQ(moviegen::ReadFrameIndex(picture.rgb.data(), recipe.width, recipe.height, recipe.width * 3), frame);
    }
    streamSeek(kept, 0.2);
    ASSERT_EQ(kept->sample->Update(0, nullptr, nullptr, 0), S_OK);
    ASSERT_TRUE(ReadSurface(kept->surface, nullptr, &picture));
    EXPECT_EQ(moviegen::ReadFrameIndex(picture.rgb.data(), recipe.width, recipe.height, recipe.width * 3), 5);
    EXPECT_DOUBLE_EQ(streamFrametime(kept), 40.0);

    freeStreamSample(kept);
    EXPECT_EQ(StandinComInitCount(), comBefore);
}

}  // namespace
