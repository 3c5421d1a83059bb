// Frames of a palettized movie on an 8-bit screen (VIDSURF_DISPLAY=
// 640x480x8), seen through the system palette: the nearest system colours
// with updateSurface, the movie's own with drawSurface realising its
// palette, the raw indices with redrawSurface; and playback by ticking.
#include <algorithm>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "movie_files.h"
#include "screen_reader.h"
#include "stream/stream_sample.h"
#include "tick_player.h"

namespace {

using moviegen::Kind;

constexpr RECT kTopLeft = {0, 0, 160, 120};

int distance(const PALETTEENTRY &entry, const uint8_t *rgb) {
    const int red = entry.peRed - rgb[0], green = entry.peGreen - rgb[1], blue = entry.peBlue - rgb[2];
    return red * red + green * green + blue * blue;
}

// How many pixels of `shown` are not a colour of `palette` nearest to the
// movie's colour in `wanted`.
int notNearest(const std::vector<uint8_t> &shown, const std::vector<uint8_t> &wanted,
               const std::vector<PALETTEENTRY> &palette) {
    int misses = 0;
    for (size_t at = 0; at + 2 < wanted.size(); at += 3) {
        int best = 1 << 30;
        for (const PALETTEENTRY &entry : palette) best = std::min(best, distance(entry, &wanted[at]));
        const PALETTEENTRY got = {shown[at], shown[at + 1], shown[at + 2], 0};
        if (distance(got, &wanted[at]) != best) ++misses;
    }
    return misses;
}

// A pal8 movie opened without a window.
class LibraryPalettizedScreen : public testing::Test {
protected:
    void SetUp() override {
        const std::string file = files.write("pal8.avi", recipe);
        stream = createStreamSample(file.c_str(), nullptr, files.directDraw());
        ASSERT_NE(stream, nullptr);
    }
    ~LibraryPalettizedScreen() override { freeStreamSample(stream); }

    MovieFiles files;
    ScreenReader screen{files.directDraw()};
    const moviegen::MovieRecipe recipe = SmallMovie(Kind::Pal8Avi);
    StreamSample *stream = nullptr;
};

TEST_F(LibraryPalettizedScreen, SystemColoursThenTheMoviesOwnThenRawIndices) {
    const std::vector<uint8_t> movie = moviegen::FrameRgb24(recipe, 0);

    // Nothing realised: each pixel is the nearest system colour.
    EXPECT_EQ(updateSurface(stream, screen.primary()), 1);
    const std::vector<uint8_t> nearest = screen.rgb(kTopLeft);
    EXPECT_EQ(notNearest(nearest, movie, SystemPalette()), 0);
    EXPECT_NE(nearest, movie);  // twenty static colours cannot show this movie
    EXPECT_EQ(screen.frameIndex(kTopLeft), 0);

    // Realised: the movie's colours take the free entries and the picture
    // uses them. Only colours that found no entry of their own may differ.
    EXPECT_EQ(drawSurface(stream, screen.primary(), 1), 1);
    const std::vector<PALETTEENTRY> system = SystemPalette();
    const std::vector<uint8_t> own = screen.rgb(kTopLeft);
    EXPECT_EQ(notNearest(own, movie, system), 0);
    size_t exact = 0;
    for (size_t at = 0; at < movie.size(); at += 3) exact += std::equal(&movie[at], &movie[at] + 3, &own[at]);
    EXPECT_GT(exact, movie.size() / 3 * 9 / 10);
    EXPECT_GT(exact * 3, size_t(std::count(nearest.begin(), nearest.end(), 0)));  // better than before

    // Untranslated: the movie's indices read as system-palette indices.
    EXPECT_EQ(redrawSurface(stream, screen.primary()), 1);
    const std::vector<uint8_t> raw = screen.rgb(kTopLeft);
    const std::vector<uint8_t> indices = moviegen::FrameIndices(recipe, 0);
    for (size_t i = 0; i < indices.size(); i += 97) {
        SCOPED_TRACE(i);
        EXPECT_EQ(raw[3 * i], system[indices[i]].peRed);
        EXPECT_EQ(raw[3 * i + 1], system[indices[i]].peGreen);
        EXPECT_EQ(raw[3 * i + 2], system[indices[i]].peBlue);
    }
}

TEST_F(LibraryPalettizedScreen, TickingPlaysEveryTranslatedFrameToTheEnd) {
    IDirectDrawSurface *const backBefore = stream->backSurface;

    const TickedPlayback playback = PlayToEndByTicking(stream, screen, kTopLeft, SteadySeconds());
    ASSERT_TRUE(playback.ended);
    EXPECT_EQ(playback.results.front(), 2);
    std::vector<int> expected;
    for (int frame = 1; frame < recipe.frames; ++frame) expected.push_back(frame);
    EXPECT_EQ(playback.shown, expected);
    EXPECT_EQ(backBefore, nullptr);
    EXPECT_NE(stream->backSurface, nullptr);
    EXPECT_EQ(notNearest(screen.rgb(kTopLeft), moviegen::FrameRgb24(recipe, recipe.frames - 1), SystemPalette()), 0);
}

}  // namespace
