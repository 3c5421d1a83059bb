// Movies whose container says little about them still play and seek.
#include "stream_fixture.h"

#include <cstdio>

#include <ddstream.h>

extern "C" {
#include <libavformat/avformat.h>
}

namespace mmtest {
namespace {

using moviegen::Kind;
using moviegen::MovieRecipe;

// The video of an MPEG-1 program stream as a bare elementary stream
// (".m1v"): no header tells its length, and FFmpeg's guess from the bit
// rate is far too short.
bool WriteElementaryStream(const std::string &programStream, const std::string &path) {
    AVFormatContext *format = nullptr;
    if (avformat_open_input(&format, programStream.c_str(), nullptr, nullptr) < 0) return false;
    const int video = avformat_find_stream_info(format, nullptr) < 0
                          ? -1
                          : av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    std::FILE *out = video >= 0 ? std::fopen(path.c_str(), "wb") : nullptr;
    bool written = out != nullptr;
    AVPacket *packet = av_packet_alloc();
    while (written && packet && av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == video)
            written = std::fwrite(packet->data, 1, static_cast<size_t>(packet->size), out) ==
                      static_cast<size_t>(packet->size);
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    if (out) written = std::fclose(out) == 0 && written;
    avformat_close_input(&format);
    return written;
}

using OddMovieTest = StreamTest;

TEST_F(OddMovieTest, ElementaryStreamWithoutLengthSeeksAndEnds) {
    MovieRecipe recipe;
    recipe.kind = Kind::Mpeg1Ps;
    recipe.width = 96;
    recipe.height = 64;
    recipe.frames = 30;
    const std::string path = temp_.File("bare.m1v");
    ASSERT_TRUE(WriteElementaryStream(WriteMovie(recipe), path));
    ASSERT_EQ(Open(path), S_OK);
    MakeSample();
    ASSERT_EQ(UpdateNow(), S_OK);
    EXPECT_EQ(ShownFrame(), 0);
    STREAM_TIME duration = 0;
    ASSERT_EQ(mm_->GetDuration(&duration), S_OK);
    EXPECT_GT(duration, moviegen::FrameStart100ns(recipe, recipe.frames - 1)) << "the last frame lies within it";
    EXPECT_LE(duration, moviegen::MovieDuration100ns(recipe) + moviegen::FrameStart100ns(recipe, 1));
    const STREAM_TIME target = moviegen::FrameStart100ns(recipe, 20);
    ASSERT_EQ(mm_->Seek(target), S_OK);
    ASSERT_EQ(UpdateNow(), S_OK);
    STREAM_TIME start = 0, end = 0;
    ASSERT_EQ(sample_->GetSampleTimes(&start, &end, nullptr), S_OK);
    EXPECT_LE(start, target);
    EXPECT_GT(end, target);
    // FFmpeg times a bare stream with B-frames one frame late after its
    // first picture, so the frame at the time may be the one before.
    const int shown = ShownFrame();
    EXPECT_TRUE(shown == 19 || shown == 20) << shown;
    ASSERT_EQ(UpdateNow(), S_OK);
    EXPECT_EQ(ShownFrame(), shown + 1);
    ASSERT_EQ(mm_->Seek(duration), S_OK);
    EXPECT_EQ(UpdateNow(), MS_S_ENDOFSTREAM) << "parked at the end";
}

}  // namespace
}  // namespace mmtest
