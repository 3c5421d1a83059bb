#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "decoded_movie.h"
#include "moviegen/moviegen.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace moviegen {
namespace {

std::vector<char> Bytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool HasVideo(const std::string &path) {
  DecodedMovie movie;
  std::string error;
  return DecodeMovie(path, &movie, &error);
}

MovieRecipe Small(Kind kind) {
  return MovieRecipe{kind, 64, 48, 25, 1, 25, KindHasAudio(kind)};
}

TEST(MoviegenBroken, ZeroLengthIsEmptyAndNoMovie) {
  TempDir dir;
  std::string path = dir.File("empty.avi");
  ASSERT_TRUE(WriteZeroLength(path));
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  EXPECT_FALSE(HasVideo(path));
}

TEST(MoviegenBroken, TruncatedIsTheFirstPartOfTheMovie) {
  TempDir dir;
  for (Kind kind : AllKinds()) {
    SCOPED_TRACE(KindName(kind));
    std::string source = dir.File(std::string("whole") + KindExtension(kind));
    std::string cut = dir.File(std::string("cut") + KindExtension(kind));
    std::string error;
    MovieRecipe recipe = Small(kind);
    recipe.audio = false;  // all video, so that cutting the file cuts the video
    ASSERT_TRUE(WriteMovie(source, recipe, &error)) << error;
    ASSERT_TRUE(WriteTruncated(source, cut, 0.5, &error)) << error;
    std::vector<char> whole = Bytes(source), part = Bytes(cut);
    EXPECT_EQ(part.size(), whole.size() / 2);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin()));
    // What still decodes starts at the first frame and never goes back
    // (a cut B-frame stream loses frames; concealment may repeat one).
    DecodedMovie movie;
    if (DecodeMovie(cut, &movie, &error)) {
      EXPECT_LT(movie.rgb.size(), 25u);
      EXPECT_EQ(ReadFrameIndex(movie.rgb[0].data(), 64, 48, 64 * 3), 0);
      int last = 0;
      for (size_t i = 1; i < movie.rgb.size(); ++i) {
        int index = ReadFrameIndex(movie.rgb[i].data(), 64, 48, 64 * 3);
        if (index < 0) continue;
        EXPECT_GE(index, last) << "position " << i;
        last = index;
      }
    }
  }
}

TEST(MoviegenBroken, TruncatedRefusesNonsense) {
  TempDir dir;
  std::string source = dir.File("a.avi");
  ASSERT_TRUE(WriteMovie(source, Small(Kind::RawRgbAvi), nullptr));
  std::string error;
  EXPECT_FALSE(WriteTruncated(source, dir.File("b.avi"), 0.0, &error));
  EXPECT_FALSE(WriteTruncated(source, dir.File("b.avi"), 1.0, &error));
  EXPECT_FALSE(WriteTruncated(dir.File("missing.avi"), dir.File("b.avi"), 0.5, &error));
  EXPECT_NE(error, "");
}

TEST(MoviegenBroken, GarbageIsRepeatableAndNoMovie) {
  TempDir dir;
  for (unsigned seed : {1u, 2u, 3u, 4u}) {
    for (const char *extension : {".avi", ".mpg", ".gif"}) {
      std::string path = dir.File("garbage" + std::to_string(seed) + extension);
      ASSERT_TRUE(WriteGarbage(path, 65536, seed));
      EXPECT_EQ(std::filesystem::file_size(path), 65536u);
      EXPECT_FALSE(HasVideo(path)) << path;
    }
  }
  ASSERT_TRUE(WriteGarbage(dir.File("again.avi"), 65536, 1));
  ASSERT_TRUE(WriteGarbage(dir.File("other.avi"), 65536, 5));
  EXPECT_EQ(Bytes(dir.File("again.avi")), Bytes(dir.File("garbage1.avi")));
  EXPECT_NE(Bytes(dir.File("other.avi")), Bytes(dir.File("garbage1.avi")));
}

TEST(MoviegenBroken, AudioOnlyHasTheToneAndNoVideo) {
  TempDir dir;
  for (const char *name : {"tone.wav", "tone.avi"}) {
    SCOPED_TRACE(name);
    std::string path = dir.File(name), error;
    ASSERT_TRUE(WriteAudioOnly(path, 1.5, &error)) << error;
    EXPECT_FALSE(HasVideo(path));
    AVFormatContext *format = nullptr;
    ASSERT_EQ(avformat_open_input(&format, path.c_str(), nullptr, nullptr), 0);
    ASSERT_GE(avformat_find_stream_info(format, nullptr), 0);
    ASSERT_EQ(format->nb_streams, 1u);
    const AVCodecParameters *audio = format->streams[0]->codecpar;
    EXPECT_EQ(audio->codec_id, AV_CODEC_ID_PCM_S16LE);
    EXPECT_EQ(audio->sample_rate, kAudioSampleRate);
    EXPECT_EQ(audio->ch_layout.nb_channels, kAudioChannels);
    int64_t bytes = 0;
    AVPacket *packet = av_packet_alloc();
    while (av_read_frame(format, packet) >= 0) {
      bytes += packet->size;
      av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avformat_close_input(&format);
    EXPECT_EQ(bytes, int64_t{kAudioSampleRate} * 3 / 2 * kAudioChannels * 2);
  }
}

TEST(MoviegenBroken, ADirectoryIsNoMovie) {
  TempDir dir;
  std::string folder = dir.File("folder.avi");
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  EXPECT_FALSE(HasVideo(folder));
}

}  // namespace
}  // namespace moviegen
