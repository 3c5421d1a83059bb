#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "moviegen/code_layout.h"
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

int Read(const MovieRecipe &recipe, const std::vector<uint8_t> &rgb) {
  return ReadFrameIndex(rgb.data(), recipe.width, recipe.height, static_cast<size_t>(recipe.width) * 3);
}

// The 6x6x6 colour cube of a fixed 8-bit palette: levels 0, 51, ..., 255.
uint8_t CubeLevel(int value) {
  value = std::clamp(value, 0, 255);
  return static_cast<uint8_t>((value + 25) / 51 * 51);
}

std::vector<uint8_t> NearestInCube(std::vector<uint8_t> rgb) {
  for (uint8_t &v : rgb) v = CubeLevel(v);
  return rgb;
}

// Floyd-Steinberg error diffusion onto the same cube.
std::vector<uint8_t> DitheredToCube(const std::vector<uint8_t> &rgb, int width, int height) {
  std::vector<int> work(rgb.begin(), rgb.end());
  std::vector<uint8_t> out(rgb.size());
  auto spread = [&](int x, int y, int c, int error, int sixteenths) {
    if (x < 0 || x >= width || y >= height) return;
    work[(static_cast<size_t>(y) * width + x) * 3 + c] += error * sixteenths / 16;
  };
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) {
        size_t at = (static_cast<size_t>(y) * width + x) * 3 + c;
        out[at] = CubeLevel(work[at]);
        int error = work[at] - out[at];
        spread(x + 1, y, c, error, 7);
        spread(x - 1, y + 1, c, error, 3);
        spread(x, y + 1, c, error, 5);
        spread(x + 1, y + 1, c, error, 1);
      }
  return out;
}

TEST(MoviegenReader, ReadsEveryFrameNumber) {
  MovieRecipe recipe = Recipe(Kind::RawRgbAvi, 64, 48);
  for (int i = 0; i <= kMaxFrameIndex; ++i) ASSERT_EQ(Read(recipe, FrameRgb24(recipe, i)), i);
}

TEST(MoviegenReader, ReadsOddAndEvenSizesOfEveryKind) {
  for (Kind kind : AllKinds())
    for (auto size : {std::pair{321, 241}, std::pair{320, 240}, std::pair{64, 48},
                      std::pair{1280, 720}, std::pair{100, 400}}) {
      MovieRecipe recipe = Recipe(kind, size.first, size.second);
      for (int i : {0, 1, 2, 1000, kMaxFrameIndex})
        EXPECT_EQ(Read(recipe, FrameRgb24(recipe, i)), i)
            << KindName(kind) << " " << size.first << "x" << size.second;
    }
}

TEST(MoviegenReader, HonoursPaddedRows) {
  MovieRecipe recipe = Recipe(Kind::RawRgbAvi, 321, 241);
  std::vector<uint8_t> packed = FrameRgb24(recipe, 77);
  const size_t pitch = 321 * 3 + 13;
  std::vector<uint8_t> padded(pitch * 241, 0x80);  // grey padding that is not a block
  for (int y = 0; y < 241; ++y)
    std::copy_n(&packed[static_cast<size_t>(y) * 321 * 3], 321 * 3, &padded[y * pitch]);
  EXPECT_EQ(ReadFrameIndex(padded.data(), 321, 241, pitch), 77);
}

TEST(MoviegenReader, SurvivesANearestColourFixedPalette) {
  for (Kind kind : {Kind::Mpeg4PcmAvi, Kind::Pal8Avi}) {
    MovieRecipe recipe = Recipe(kind, 321, 241);
    for (int i : {0, 5, 42, 4000}) {
      std::vector<uint8_t> mapped = NearestInCube(FrameRgb24(recipe, i));
      EXPECT_NE(mapped, FrameRgb24(recipe, i));  // the mapping did change the picture
      EXPECT_EQ(Read(recipe, mapped), i) << KindName(kind);
    }
  }
}

TEST(MoviegenReader, SurvivesDitheringToAFixedPalette) {
  for (Kind kind : {Kind::MjpegAvi, Kind::Gif}) {
    for (auto size : {std::pair{320, 240}, std::pair{64, 48}}) {
      MovieRecipe recipe = Recipe(kind, size.first, size.second);
      for (int i : {3, 31, 2048})
        EXPECT_EQ(Read(recipe, DitheredToCube(FrameRgb24(recipe, i), recipe.width, recipe.height)), i)
            << KindName(kind);
    }
  }
}

TEST(MoviegenReader, SurvivesNoise) {
  MovieRecipe recipe = Recipe(Kind::Mpeg1Ps, 320, 240);
  std::mt19937 random(5);
  std::uniform_int_distribution<int> noise(-50, 50);
  std::vector<uint8_t> rgb = FrameRgb24(recipe, 1234);
  for (uint8_t &v : rgb) v = static_cast<uint8_t>(std::clamp(v + noise(random), 0, 255));
  EXPECT_EQ(Read(recipe, rgb), 1234);
}

TEST(MoviegenReader, RefusesPicturesWithoutBlocks) {
  MovieRecipe recipe = Recipe(Kind::RawRgbAvi, 320, 240);
  const size_t bytes = 320 * 240 * 3;
  for (uint8_t level : {0, 128, 255})
    EXPECT_EQ(Read(recipe, std::vector<uint8_t>(bytes, level)), -1) << int{level};
  std::mt19937 random(1);
  std::vector<uint8_t> noise(bytes);
  for (uint8_t &v : noise) v = static_cast<uint8_t>(random());
  EXPECT_EQ(Read(recipe, noise), -1);
}

// Fills code cell (row, column) of a picture with one grey level.
void PaintCell(std::vector<uint8_t> &rgb, int width, int height, int row, int column,
               uint8_t level) {
  CodeLayout layout = CodeLayoutFor(width, height);
  for (int y = 0; y < layout.cell; ++y)
    for (int x = 0; x < layout.cell; ++x) {
      size_t at = (static_cast<size_t>(layout.top + row * layout.cell + y) * width +
                   layout.left + column * layout.cell + x) * 3;
      rgb[at] = rgb[at + 1] = rgb[at + 2] = level;
    }
}

TEST(MoviegenReader, RefusesABlockThatAgreesWithItsInverse) {
  MovieRecipe recipe = Recipe(Kind::RawRgbAvi, 320, 240);
  std::vector<uint8_t> rgb = FrameRgb24(recipe, 0);
  PaintCell(rgb, 320, 240, 0, 0, 255);
  EXPECT_EQ(Read(recipe, rgb), -1);
  PaintCell(rgb, 320, 240, 2, 0, 0);  // its inverse follows: a valid 2048 again
  EXPECT_EQ(Read(recipe, rgb), 2048);
}

TEST(MoviegenReader, RefusesAGreyBlock) {
  MovieRecipe recipe = Recipe(Kind::RawRgbAvi, 64, 48);
  std::vector<uint8_t> rgb = FrameRgb24(recipe, 9);
  PaintCell(rgb, 64, 48, 1, 5, 128);
  EXPECT_EQ(Read(recipe, rgb), -1);
}

TEST(MoviegenReader, RefusesBadArguments) {
  MovieRecipe recipe = Recipe(Kind::RawRgbAvi, 64, 48);
  std::vector<uint8_t> rgb = FrameRgb24(recipe, 1);
  EXPECT_EQ(ReadFrameIndex(nullptr, 64, 48, 64 * 3), -1);
  EXPECT_EQ(ReadFrameIndex(rgb.data(), 64, 48, 64 * 3 - 1), -1);
  EXPECT_EQ(ReadFrameIndex(rgb.data(), 32, 48, 64 * 3), -1);
}

}  // namespace
}  // namespace moviegen
