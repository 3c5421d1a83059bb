// Opening real movies on an 8-bit screen (VIDSURF_DISPLAY=640x480x8,
// VIDSURF_CLOCK=free): frames arrive as palette indices and the stream
// palette is captured at open.
#include <string>

#include <gtest/gtest.h>

#include "movie_files.h"
#include "stream/stream_sample.h"
#include "surface_pixels.h"

namespace {

using moviegen::Kind;

TEST(LibraryPaletteCapture, Pal8MovieBringsItsOwnPalette) {
    MovieFiles files;
    const moviegen::MovieRecipe recipe = SmallMovie(Kind::Pal8Avi);
    const std::string file = files.write("pal8.avi", recipe);
    StreamSample *stream = createStreamSample(file.c_str(), nullptr, files.directDraw());
    ASSERT_NE(stream, nullptr);

    // Captured at open already.
    ASSERT_NE(stream->logPalette, nullptr);
    ASSERT_NE(stream->hPalette, nullptr);
    ASSERT_NE(stream->ddPalette, nullptr);
    LOGPALETTE *const block = stream->logPalette;

    unsigned char rgb[768];
    ASSERT_EQ(streamPalette(stream, rgb), 256);
    EXPECT_EQ(stream->logPalette, block);
    const auto palette = moviegen::MoviePalette();
    for (int i = 0; i < 256; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rgb[3 * i], (palette[i] >> 16) & 0xFF);
        EXPECT_EQ(rgb[3 * i + 1], (palette[i] >> 8) & 0xFF);
        EXPECT_EQ(rgb[3 * i + 2], palette[i] & 0xFF);
        EXPECT_EQ(stream->logPalette->palPalEntry[i].peFlags, PC_RESERVED | PC_NOCOLLAPSE);
    }

    // The first frame, as the movie's own indices.
    SurfacePicture picture;
    ASSERT_TRUE(ReadSurface(stream->surface, stream->logPalette->palPalEntry, &picture));
    EXPECT_EQ(picture.bitsPerPixel, 8u);
    EXPECT_EQ(picture.width, DWORD(recipe.width));
    EXPECT_EQ(picture.height, DWORD(recipe.height));
    EXPECT_EQ(picture.indices, moviegen::FrameIndices(recipe, 0));
    EXPECT_EQ(moviegen::ReadFrameIndex(picture.rgb.data(), recipe.width, recipe.height, recipe.width * 3), 0);
    freeStreamSample(stream);
}

class LibraryPaletteCaptureEachKind : public testing::TestWithParam<Kind> {};

TEST_P(LibraryPaletteCaptureEachKind, FirstFrameReadsThroughTheCapturedPalette) {
    MovieFiles files;
    const moviegen::MovieRecipe recipe = SmallMovie(GetParam());
    const std::string file = files.write(std::string("movie") + moviegen::KindExtension(recipe.kind), recipe);
    StreamSample *stream = createStreamSample(file.c_str(), nullptr, files.directDraw());
    ASSERT_NE(stream, nullptr);
    ASSERT_NE(stream->logPalette, nullptr);
    EXPECT_EQ(streamPalette(stream, nullptr), 256);

    SurfacePicture picture;
    ASSERT_TRUE(ReadSurface(stream->surface, stream->logPalette->palPalEntry, &picture));
    EXPECT_EQ(picture.bitsPerPixel, 8u);
    EXPECT_EQ(moviegen::ReadFrameIndex(picture.rgb.data(), recipe.width, recipe.height, recipe.width * 3), 0);
    freeStreamSample(stream);
}

INSTANTIATE_TEST_SUITE_P(EachKind, LibraryPaletteCaptureEachKind, testing::ValuesIn(moviegen::AllKinds()),
                         KindTestName);

}  // namespace
