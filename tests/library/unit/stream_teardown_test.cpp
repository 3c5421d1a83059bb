// Closing a movie: release order, exact reference counts and the COM
// initialisation count of the calling thread.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <standin/standin.h>

#include "fakes/scripted_movie.h"
#include "stream/stream_sample.h"

namespace {

using fakes::FakeSurface;
using fakes::ScriptedMovie;
using testing::ElementsAre;

bool paletteIsLive(HPALETTE palette) {
    PALETTEENTRY entry;
    return GetPaletteEntries(palette, 0, 1, &entry) == 1;
}

TEST(LibraryTeardown, StopsThenReleasesEachPieceOnceInOrder) {
    ScriptedMovie movie;
    movie.withPalette();
    FakeSurface back(&movie.log, "back", 4, 4, 8);
    StreamSample *stream = createStreamSample("movie.avi", nullptr, &movie.directDraw);
    ASSERT_NE(stream, nullptr);
    back.AddRef();
    stream->backSurface = &back;
    stream->updateStatus = MS_S_PENDING;  // an update still outstanding is not waited for
    const HPALETTE gdiPalette = stream->hPalette;
    ASSERT_TRUE(paletteIsLive(gdiPalette));
    movie.log.clear();

    freeStreamSample(stream);

    EXPECT_THAT(movie.log.calls, ElementsAre("mm.SetState(0)", "sample.Release", "palette.Release",
                                             "ddstream.Release", "video.Release", "mm.Release", "surface.Release",
                                             "back.Release"));
    EXPECT_EQ(movie.mm.refs(), 1u);
    EXPECT_EQ(movie.video.refs(), 1u);
    EXPECT_EQ(movie.ddStream.refs(), 1u);
    EXPECT_EQ(movie.sample.refs(), 1u);
    EXPECT_EQ(movie.surface.refs(), 1u);
    EXPECT_EQ(back.refs(), 1u);
    EXPECT_EQ(movie.palette.refs(), 1u);
    EXPECT_EQ(movie.directDraw.refs(), 1u);  // the host's: borrowed, untouched
    EXPECT_FALSE(paletteIsLive(gdiPalette));
}

TEST(LibraryTeardown, NullRecordDoesNothing) {
    const ULONG comBefore = StandinComInitCount();
    freeStreamSample(nullptr);
    EXPECT_EQ(StandinComInitCount(), comBefore);
}

TEST(LibraryComLifetime, EachRecordInitialisesOnceAndUndoesItOnce) {
    ScriptedMovie movie;
    const ULONG comBefore = StandinComInitCount();

    StreamSample *first = createStreamSample("a.avi", nullptr, &movie.directDraw);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(StandinComInitCount(), comBefore + 1);
    StreamSample *second = createStreamSample("b.avi", nullptr, &movie.directDraw);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(StandinComInitCount(), comBefore + 2);

    freeStreamSample(first);
    EXPECT_EQ(StandinComInitCount(), comBefore + 1);
    // The second record still works on its own pieces.
    movie.mm.seeks.clear();
    streamSeek(second, 2.0);
    EXPECT_THAT(movie.mm.seeks, ElementsAre(20000000));
    EXPECT_DOUBLE_EQ(streamDuration(second), 5.0);

    freeStreamSample(second);
    EXPECT_EQ(StandinComInitCount(), comBefore);
    EXPECT_EQ(movie.mm.refs(), 1u);
    EXPECT_EQ(movie.surface.refs(), 1u);
}

TEST(LibraryComLifetime, LeavesAMultithreadedThreadInitialised) {
    ScriptedMovie movie(COINIT_MULTITHREADED);
    ASSERT_EQ(StandinComInitCount(), 1u);

    StreamSample *stream = createStreamSample("movie.avi", nullptr, &movie.directDraw);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->comInitResult, RPC_E_CHANGED_MODE);
    freeStreamSample(stream);

    EXPECT_EQ(StandinComInitCount(), 1u);
    // Still in the multithreaded apartment.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    CoUninitialize();
}

}  // namespace
