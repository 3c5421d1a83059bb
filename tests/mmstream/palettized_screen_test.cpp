// On an 8-bit screen frames are palette indices: a palettized movie keeps
// its own indices and palette, a true-colour movie is mapped to a fixed
// palette.
#include "stream_fixture.h"

#include <ddstream.h>

#include <cstdlib>

namespace mmtest {
namespace {

using moviegen::Kind;
using moviegen::MovieRecipe;

class PalettizedScreenTest : public StreamTest {
protected:
    // The palette GetFormat hands out, with its 256 entries.
    void TakePalette() {
        DDSURFACEDESC desired{};
        desired.dwSize = sizeof(desired);
        IDirectDrawPalette *palette = nullptr;
        ASSERT_EQ(ddStream_->GetFormat(nullptr, &palette, &desired, nullptr), S_OK);
        ASSERT_NE(palette, nullptr);
        EXPECT_TRUE(desired.ddpfPixelFormat.dwFlags & DDPF_PALETTEINDEXED8);
        EXPECT_EQ(desired.ddpfPixelFormat.dwRGBBitCount, 8u);
        DWORD caps = 0;
        EXPECT_EQ(palette->GetCaps(&caps), DD_OK);
        EXPECT_TRUE(caps & DDPCAPS_8BIT);
        ASSERT_EQ(palette->GetEntries(0, 0, 256, entries_), DD_OK);
        // The caller's reference is the only one besides the stream's.
        palette->Release();
    }

    PALETTEENTRY entries_[256]{};
};

TEST_F(PalettizedScreenTest, PalettizedMovieKeepsItsIndicesAndPalette) {
    for (Kind kind : {Kind::Pal8Avi, Kind::Gif}) {
        SCOPED_TRACE(moviegen::KindName(kind));
        MovieRecipe recipe;
        recipe.kind = kind;
        recipe.width = 96;
        recipe.height = 64;
        recipe.frames = 5;
        recipe.fpsNum = 10;
        ASSERT_EQ(Open(WriteMovie(recipe, moviegen::KindName(kind))), S_OK);
        MakeSample();
        TakePalette();
        const std::array<uint32_t, 256> moviePalette = moviegen::MoviePalette();
        for (int i = 0; i < 256; ++i) {
            const uint32_t rgb = (entries_[i].peRed << 16) | (entries_[i].peGreen << 8) | entries_[i].peBlue;
            ASSERT_EQ(rgb, moviePalette[i]) << "entry " << i;
        }
        for (int i = 0; i < recipe.frames; ++i) {
            ASSERT_EQ(UpdateNow(), S_OK);
            ASSERT_EQ(SurfaceIndices(), moviegen::FrameIndices(recipe, i)) << "frame " << i;
        }
        EXPECT_EQ(UpdateNow(), MS_S_ENDOFSTREAM);
        TearDown();
        mm_ = nullptr, ddStream_ = nullptr, sample_ = nullptr, surface_ = nullptr, directDraw_ = nullptr;
        SetUp();
    }
}

// Frames that bring a palette of their own (the same colours in another
// order) are shown in the stream palette with their own colours.
TEST_F(PalettizedScreenTest, PaletteChangeMidStreamKeepsTheColours) {
    MovieRecipe recipe;
    recipe.kind = Kind::Pal8Avi;
    recipe.width = 96;
    recipe.height = 64;
    recipe.frames = 6;
    const std::string path = temp_.File("palettes.avi");
    ASSERT_TRUE(moviegen::WritePaletteChange(path, recipe, 3));
    ASSERT_EQ(Open(path), S_OK);
    MakeSample();
    TakePalette();
    for (int i = 0; i < recipe.frames; ++i) {
        ASSERT_EQ(UpdateNow(), S_OK);
        ASSERT_EQ(SurfaceRgb24(entries_), moviegen::FrameRgb24(recipe, i)) << "frame " << i;
    }
}

// Every colour of the frame is drawn from the fixed palette, close enough
// that the frame still reads as itself: RGB frames colour by colour, lossy
// YUV frames through their dithered 15-bit picture.
class TrueColourOnPalettizedScreen : public PalettizedScreenTest, public testing::WithParamInterface<Kind> {};

TEST_P(TrueColourOnPalettizedScreen, MapsToTheFixedPalette) {
    MovieRecipe recipe;
    recipe.kind = GetParam();
    recipe.width = 128;
    recipe.height = 96;
    recipe.frames = 4;
    const bool lossless = recipe.kind == Kind::RawRgbAvi;
    ASSERT_EQ(Open(recipe), S_OK);
    MakeSample();
    TakePalette();
    // The static colours sit where the system palette has them.
    EXPECT_EQ(entries_[0].peRed + entries_[0].peGreen + entries_[0].peBlue, 0);
    EXPECT_EQ(entries_[255].peRed & entries_[255].peGreen & entries_[255].peBlue, 255);
    for (int i = 0; i < recipe.frames; ++i) {
        ASSERT_EQ(UpdateNow(), S_OK);
        EXPECT_EQ(ShownFrame(entries_), i);
        const std::vector<uint8_t> shown = SurfaceRgb24(entries_);
        const std::vector<uint8_t> original = moviegen::FrameRgb24(recipe, i);
        // The fixed palette is at most about 25 steps from any colour; lossy
        // frames add their edges, where colours bleed.
        double total = 0;
        for (size_t p = 0; p < shown.size(); ++p) {
            const int error = std::abs(shown[p] - original[p]);
            total += error;
            if (lossless) {
                ASSERT_LE(error, 40) << "byte " << p << " of frame " << i;
            }
        }
        EXPECT_LT(total / static_cast<double>(shown.size()), 14.0) << "frame " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, TrueColourOnPalettizedScreen,
                         testing::Values(Kind::RawRgbAvi, Kind::Mpeg4PcmAvi, Kind::Mpeg1Ps),
                         KindTestName);

}  // namespace
}  // namespace mmtest
