#include <gtest/gtest.h>

#include <filesystem>

#include "moviegen/moviegen.h"

namespace moviegen {
namespace {

TEST(MoviegenKinds, NamesParseBackToTheirKind) {
  for (Kind kind : AllKinds()) {
    Kind parsed = Kind::Gif;
    ASSERT_TRUE(ParseKind(KindName(kind), &parsed)) << KindName(kind);
    EXPECT_EQ(parsed, kind);
  }
  Kind untouched = Kind::MjpegAvi;
  EXPECT_FALSE(ParseKind("h265", &untouched));
  EXPECT_EQ(untouched, Kind::MjpegAvi);
}

TEST(MoviegenKinds, ExtensionsMatchTheContainer) {
  EXPECT_STREQ(KindExtension(Kind::RawRgbAvi), ".avi");
  EXPECT_STREQ(KindExtension(Kind::Mpeg4PcmAvi), ".avi");
  EXPECT_STREQ(KindExtension(Kind::Mpeg1Ps), ".mpg");
  EXPECT_STREQ(KindExtension(Kind::Gif), ".gif");
  EXPECT_STREQ(KindExtension(Kind::H264Mov), ".mov");
}

MovieRecipe Recipe(Kind kind) {
  MovieRecipe recipe;
  recipe.kind = kind;
  recipe.width = 64;
  recipe.height = 48;
  recipe.frames = 3;
  return recipe;
}

TEST(MoviegenKinds, AcceptsTheSmallestFrameOfEveryKind) {
  for (Kind kind : AllKinds()) EXPECT_EQ(CheckRecipe(Recipe(kind)), "") << KindName(kind);
}

TEST(MoviegenKinds, RefusesRecipesTheFormatsCannotCarry) {
  MovieRecipe small = Recipe(Kind::RawRgbAvi);
  small.width = 63;
  EXPECT_NE(CheckRecipe(small), "");
  small = Recipe(Kind::RawRgbAvi);
  small.height = 47;
  EXPECT_NE(CheckRecipe(small), "");

  MovieRecipe none = Recipe(Kind::RawRgbAvi);
  none.frames = 0;
  EXPECT_NE(CheckRecipe(none), "");
  none.frames = kMaxFrameIndex + 2;
  EXPECT_NE(CheckRecipe(none), "");

  MovieRecipe mpeg1 = Recipe(Kind::Mpeg1Ps);
  mpeg1.fpsNum = 10;
  EXPECT_NE(CheckRecipe(mpeg1), "");
  mpeg1.fpsNum = 30000;
  mpeg1.fpsDen = 1001;
  EXPECT_EQ(CheckRecipe(mpeg1), "");

  MovieRecipe gif = Recipe(Kind::Gif);
  gif.fpsNum = 30;  // 3.33 centiseconds a frame
  EXPECT_NE(CheckRecipe(gif), "");
  gif.fpsNum = 10;
  EXPECT_EQ(CheckRecipe(gif), "");
  gif.audio = true;
  EXPECT_NE(CheckRecipe(gif), "");

  MovieRecipe h264 = Recipe(Kind::H264Mov);
  h264.width = 65;
  EXPECT_NE(CheckRecipe(h264), "");
  h264.width = 66;
  h264.height = 49;
  EXPECT_NE(CheckRecipe(h264), "");
}

TEST(MoviegenKinds, ARefusedRecipeLeavesNoFile) {
  TempDir dir;
  MovieRecipe recipe = Recipe(Kind::Mpeg1Ps);
  recipe.fpsNum = 7;
  std::string path = dir.File("refused.mpg"), error;
  EXPECT_FALSE(WriteMovie(path, recipe, &error));
  EXPECT_NE(error, "");
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(MoviegenKinds, AnUnwritablePathFailsWithAReason) {
  std::string error;
  EXPECT_FALSE(WriteMovie("/nonexistent-dir/x.avi", Recipe(Kind::RawRgbAvi), &error));
  EXPECT_NE(error, "");
}

TEST(MoviegenKinds, TempDirIsPrivateAndRemovedAfterwards) {
  std::string path;
  {
    TempDir dir;
    path = dir.path();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(std::filesystem::is_directory(path));
    TempDir other;
    EXPECT_NE(other.path(), path);
    ASSERT_TRUE(WriteZeroLength(dir.File("inside")));
    EXPECT_TRUE(std::filesystem::exists(path + "/inside"));
  }
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace moviegen
