// The movie's one source feeding picture and sound: each reader gets its
// own stream's packets in order, whoever read them from the file; queues
// stay within their bound; a seek empties both queues once.
#include "mmstream/source/movie_source.h"

#include <gtest/gtest.h>

#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "moviegen/moviegen.h"

namespace {

using standin::mmstream::MovieSource;
using Reader = MovieSource::Reader;
constexpr Reader kPicture = MovieSource::kPicture;
constexpr Reader kSound = MovieSource::kSound;

struct Taken {
    int64_t dts;
    int size;
    bool keyframe;
};

class MovieSourceTest : public ::testing::Test {
protected:
    // Opens a 2 s movie of `kind` (with sound when asked) and feeds each
    // reader its stream: video to the picture, audio to the sound.
    std::shared_ptr<MovieSource> Open(moviegen::Kind kind, bool audio, size_t queueBytes = MovieSource::kQueueBytes) {
        moviegen::MovieRecipe recipe;
        recipe.kind = kind;
        recipe.frames = 50;
        recipe.audio = audio;
        const std::string path = temp_.File(std::string("movie") + moviegen::KindExtension(kind));
        EXPECT_TRUE(moviegen::WriteMovie(path, recipe, nullptr));
        return OpenPath(path, queueBytes);
    }
    std::shared_ptr<MovieSource> OpenPath(const std::string &path, size_t queueBytes = MovieSource::kQueueBytes) {
        int error = 0;
        std::shared_ptr<MovieSource> source = MovieSource::Open(path, &error, queueBytes);
        EXPECT_TRUE(source) << error;
        if (!source) return nullptr;
        int streams[2] = {-1, -1};
        source->Use([&](AVFormatContext *format) {
            avformat_find_stream_info(format, nullptr);
            streams[kPicture] = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
            streams[kSound] = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        });
        source->Feed(kPicture, streams[kPicture] >= 0 ? streams[kPicture] : -1);
        source->Feed(kSound, streams[kSound] >= 0 ? streams[kSound] : -1);
        return source;
    }
    // Up to `count` packets of the reader (all when negative), until its end.
    static std::vector<Taken> Take(MovieSource &source, Reader reader, int count = -1) {
        std::vector<Taken> taken;
        AVPacket *packet = av_packet_alloc();
        while (count-- != 0) {
            const int read = source.Next(reader, packet);
            if (read < 0) {
                EXPECT_EQ(read, AVERROR_EOF);
                break;
            }
            taken.push_back({packet->dts, packet->size, (packet->flags & AV_PKT_FLAG_KEY) != 0});
            av_packet_unref(packet);
        }
        av_packet_free(&packet);
        return taken;
    }
    static size_t Bytes(const std::vector<Taken> &taken) {
        size_t bytes = 0;
        for (const Taken &packet : taken) bytes += static_cast<size_t>(packet.size);
        return bytes;
    }
    static void ExpectRising(const std::vector<Taken> &taken) {
        for (size_t i = 1; i < taken.size(); ++i) EXPECT_GT(taken[i].dts, taken[i - 1].dts) << i;
    }

    moviegen::TempDir temp_;
};

TEST_F(MovieSourceTest, EachReaderGetsAllOfItsStreamToItsOwnEnd) {
    for (moviegen::Kind kind : {moviegen::Kind::Mpeg4PcmAvi, moviegen::Kind::Mpeg1Ps, moviegen::Kind::H264Mov}) {
        SCOPED_TRACE(moviegen::KindName(kind));
        auto alone = Open(kind, true);
        const size_t pictures = Take(*alone, kPicture).size();
        auto source = Open(kind, true);
        // The picture reads the whole file: the sound's packets wait for it.
        const std::vector<Taken> picture = Take(*source, kPicture);
        EXPECT_EQ(picture.size(), pictures);
        EXPECT_TRUE(Take(*source, kPicture).empty());  // ended, and stays so
        const std::vector<Taken> sound = Take(*source, kSound);
        EXPECT_GT(sound.size(), 10u);
        ExpectRising(picture);
        ExpectRising(sound);
        EXPECT_FALSE(source->EndedEarly());
    }
}

TEST_F(MovieSourceTest, AFullQueueIsGivenUpAndResumesAtAKeyframe) {
    constexpr size_t kBound = 16384;
    auto source = Open(moviegen::Kind::Mpeg4PcmAvi, true, kBound);
    Take(*source, kSound);  // the picture stalls
    const std::vector<Taken> picture = Take(*source, kPicture);
    ASSERT_FALSE(picture.empty());
    EXPECT_TRUE(picture.front().keyframe);
    EXPECT_LT(Bytes(picture), kBound + 8192u);

    source = Open(moviegen::Kind::MjpegAvi, true, kBound);
    const size_t pictures = Take(*source, kPicture).size();  // the sound stalls
    const std::vector<Taken> sound = Take(*source, kSound);
    EXPECT_EQ(pictures, 50u);
    EXPECT_FALSE(sound.empty());
    EXPECT_LT(Bytes(sound), kBound + 8192u);  // only what fitted last
}

TEST_F(MovieSourceTest, ASeekEmptiesBothQueuesAndTheOtherReaderGoesOn) {
    auto source = Open(moviegen::Kind::Mpeg4PcmAvi, true);
    const std::vector<Taken> firstPictures = Take(*source, kPicture, 30);
    const std::vector<Taken> firstSound = Take(*source, kSound, 3);
    // The sound goes back to the start: the picture loses nothing and gets
    // nothing twice.
    source->SeekFor(kSound, 0);
    const std::vector<Taken> sound = Take(*source, kSound);
    ASSERT_FALSE(sound.empty());
    EXPECT_EQ(sound.front().dts, firstSound.front().dts);
    std::vector<Taken> pictures = firstPictures;
    for (const Taken &taken : Take(*source, kPicture)) pictures.push_back(taken);
    EXPECT_EQ(pictures.size(), 50u);
    ExpectRising(pictures);

    // The picture goes back: the sound, at its end, stays there, and the
    // other way round.
    const auto rewind = [](AVFormatContext *format) { ASSERT_GE(av_seek_frame(format, -1, 0, AVSEEK_FLAG_BACKWARD), 0); };
    source->Reposition(kPicture, 0, rewind);
    EXPECT_EQ(Take(*source, kPicture).size(), 50u);
    EXPECT_TRUE(Take(*source, kSound).empty());
    source->SeekFor(kSound, 0);
    EXPECT_EQ(Take(*source, kSound).size(), sound.size());
    EXPECT_TRUE(Take(*source, kPicture).empty());
    // Both go back, the sound second: each gets all of its stream once.
    source->Reposition(kPicture, 0, rewind);
    source->SeekFor(kSound, 0);
    const std::vector<Taken> again = Take(*source, kSound);
    EXPECT_EQ(again.size(), sound.size());
    EXPECT_EQ(Take(*source, kPicture).size(), 50u);
    EXPECT_TRUE(Take(*source, kSound).empty());
}

TEST_F(MovieSourceTest, AMovieWithOneStreamEndsTheOtherReaderAtOnce) {
    auto silent = Open(moviegen::Kind::Mpeg4PcmAvi, false);
    EXPECT_TRUE(Take(*silent, kSound).empty());
    EXPECT_EQ(Take(*silent, kPicture).size(), 50u);

    const std::string path = temp_.File("sound.avi");
    ASSERT_TRUE(moviegen::WriteAudioOnly(path, 1.0));
    auto sound = OpenPath(path);
    EXPECT_TRUE(Take(*sound, kPicture).empty());
    EXPECT_GT(Take(*sound, kSound).size(), 0u);
    sound->SeekFor(kSound, 0);
    EXPECT_GT(Take(*sound, kSound).size(), 0u);
}

}  // namespace
