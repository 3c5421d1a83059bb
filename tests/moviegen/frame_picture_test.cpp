#include <gtest/gtest.h>

#include <set>

#include "moviegen/moviegen.h"

namespace moviegen {
namespace {

MovieRecipe Recipe(Kind kind, int width, int height) {
  MovieRecipe recipe;
  recipe.kind = kind;
  recipe.width = width;
  recipe.height = height;
  return recipe;
}

bool InCube(uint32_t c) {
  for (int shift : {0, 8, 16})
    if (((c >> shift) & 0xFF) % 51 != 0) return false;
  return true;
}

TEST(MoviegenPalette, HasDistinctColoursOutsideTheFixedPalettes) {
  std::array<uint32_t, 256> palette = MoviePalette();
  EXPECT_EQ(std::set<uint32_t>(palette.begin(), palette.end()).size(), 256u);
  EXPECT_EQ(palette[0], 0x000000u);
  EXPECT_EQ(palette[255], 0xFFFFFFu);
  // The twenty static colours of a palettized Windows screen.
  const std::set<uint32_t> statics = {
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080,
      0xC0C0C0, 0xC0DCC0, 0xA6CAF0, 0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000,
      0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  int greys = 0;
  for (int i = 1; i < 255; ++i) {
    uint32_t c = palette[i];
    EXPECT_EQ(c >> 24, 0u) << i;
    EXPECT_FALSE(InCube(c)) << i;
    EXPECT_EQ(statics.count(c), 0u) << i;
    if ((c >> 16) == ((c >> 8) & 0xFF) && (c & 0xFF) == (c >> 16)) ++greys;
  }
  EXPECT_EQ(greys, 0);
}

TEST(MoviegenPicture, HasTheSizeOfTheFrame) {
  for (Kind kind : AllKinds()) {
    EXPECT_EQ(FrameRgb24(Recipe(kind, 321, 241), 0).size(), 321u * 241 * 3) << KindName(kind);
  }
  EXPECT_EQ(FrameIndices(Recipe(Kind::Pal8Avi, 321, 241), 0).size(), 321u * 241);
}

TEST(MoviegenPicture, PalettedPicturesAreTheIndicesLookedUp) {
  std::array<uint32_t, 256> palette = MoviePalette();
  for (Kind kind : {Kind::Pal8Avi, Kind::Gif}) {
    MovieRecipe recipe = Recipe(kind, 65, 49);
    std::vector<uint8_t> indices = FrameIndices(recipe, 9);
    std::vector<uint8_t> rgb = FrameRgb24(recipe, 9);
    for (size_t i = 0; i < indices.size(); ++i) {
      uint32_t c = palette[indices[i]];
      ASSERT_EQ(rgb[i * 3], c >> 16) << i;
      ASSERT_EQ(rgb[i * 3 + 1], (c >> 8) & 0xFF) << i;
      ASSERT_EQ(rgb[i * 3 + 2], c & 0xFF) << i;
    }
  }
}

TEST(MoviegenPicture, PalettedPicturesUseManyIndices) {
  std::vector<uint8_t> indices = FrameIndices(Recipe(Kind::Pal8Avi, 320, 240), 0);
  EXPECT_EQ(std::set<uint8_t>(indices.begin(), indices.end()).size(), 256u);
}

// Share of pixels that differ between two pictures.
double ChangedShare(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b, int channels) {
  size_t changed = 0, pixels = a.size() / channels;
  for (size_t p = 0; p < pixels; ++p)
    for (int c = 0; c < channels; ++c)
      if (a[p * channels + c] != b[p * channels + c]) {
        ++changed;
        break;
      }
  return static_cast<double>(changed) / pixels;
}

TEST(MoviegenPicture, TheBackgroundMovesFromFrameToFrame) {
  MovieRecipe recipe = Recipe(Kind::Mpeg4PcmAvi, 320, 240);
  for (int i : {0, 1, 57}) {
    // Most of the picture is background, so most pixels change.
    EXPECT_GT(ChangedShare(FrameRgb24(recipe, i), FrameRgb24(recipe, i + 1), 3), 0.6) << i;
  }
  MovieRecipe paletted = Recipe(Kind::Gif, 320, 240);
  EXPECT_GT(ChangedShare(FrameIndices(paletted, 4), FrameIndices(paletted, 5), 1), 0.6);
}

TEST(MoviegenPicture, IsTheSameEveryTime) {
  MovieRecipe recipe = Recipe(Kind::MjpegAvi, 64, 48);
  EXPECT_EQ(FrameRgb24(recipe, 3), FrameRgb24(recipe, 3));
}

}  // namespace
}  // namespace moviegen
