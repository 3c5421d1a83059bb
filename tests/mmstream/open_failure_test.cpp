// Files that are not movies fail to open with a failure HRESULT and leave
// nothing behind; adding streams follows the purpose rules.
#include "stream_fixture.h"

#include <sys/stat.h>

#include <ddstream.h>

#include <algorithm>
#include <thread>

namespace mmtest {
namespace {

using moviegen::MovieRecipe;

class OpenFailureTest : public StreamTest {
protected:
    // The failure, for a closer look.
    HRESULT ExpectRefused(const std::string &path) {
        const HRESULT hr = Open(path, true);
        EXPECT_TRUE(FAILED(hr)) << path << ": " << std::hex << hr;
        STREAM_TIME duration = 1;
        EXPECT_EQ(mm_->GetDuration(&duration), E_NOINTERFACE) << "nothing opened";
        EXPECT_EQ(duration, 1);
        // Nothing was opened, so it can still open a movie.
        MovieRecipe recipe;
        recipe.width = 64;
        recipe.height = 48;
        recipe.frames = 2;
        EXPECT_EQ(mm_->OpenFile(Widen(WriteMovie(recipe, "good")).c_str(), 0), S_OK);
        return hr;
    }
};

TEST_F(OpenFailureTest, MissingFile) {
    const HRESULT hr = ExpectRefused(temp_.File("absent.avi"));
    EXPECT_TRUE(hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == VFW_E_NOT_FOUND) << std::hex << hr;
}

TEST_F(OpenFailureTest, ZeroLength) {
    ASSERT_TRUE(moviegen::WriteZeroLength(temp_.File("empty.avi")));
    ExpectRefused(temp_.File("empty.avi"));
}

TEST_F(OpenFailureTest, Garbage) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        const std::string path = temp_.File("garbage" + std::to_string(seed) + ".avi");
        ASSERT_TRUE(moviegen::WriteGarbage(path, 100000, seed));
        ExpectRefused(path);
        TearDown();
        mm_ = nullptr, ddStream_ = nullptr, directDraw_ = nullptr;
        SetUp();
    }
}

TEST_F(OpenFailureTest, TruncatedBeforeTheFirstFrame) {
    for (moviegen::Kind kind : {moviegen::Kind::RawRgbAvi, moviegen::Kind::Mpeg4PcmAvi, moviegen::Kind::Gif}) {
        MovieRecipe recipe;
        recipe.kind = kind;
        recipe.frames = 50;
        const std::string whole = WriteMovie(recipe, moviegen::KindName(kind));
        const std::string cut = temp_.File(std::string("cut-") + moviegen::KindName(kind));
        ASSERT_TRUE(moviegen::WriteTruncated(whole, cut, 0.001));
        ExpectRefused(cut);
        TearDown();
        mm_ = nullptr, ddStream_ = nullptr, directDraw_ = nullptr;
        SetUp();
    }
}

// A movie cut in the middle opens and ends early.
TEST_F(OpenFailureTest, TruncatedInTheMiddlePlaysWhatIsThere) {
    MovieRecipe recipe;
    recipe.width = 64;
    recipe.height = 48;
    recipe.frames = 20;
    const std::string cut = temp_.File("half.avi");
    ASSERT_TRUE(moviegen::WriteTruncated(WriteMovie(recipe), cut, 0.5));
    ASSERT_EQ(Open(cut), S_OK);
    MakeSample();
    int frames = 0;
    HRESULT hr;
    while ((hr = UpdateNow()) == S_OK) ASSERT_EQ(ShownFrame(), frames++);
    EXPECT_EQ(hr, MS_S_ENDOFSTREAM);
    EXPECT_GT(frames, 5);
    EXPECT_LT(frames, 20);
}

TEST_F(OpenFailureTest, AudioOnly) {
    for (const char *name : {"tone.wav", "tone.avi"}) {
        ASSERT_TRUE(moviegen::WriteAudioOnly(temp_.File(name), 0.5));
        ExpectRefused(temp_.File(name));
        TearDown();
        mm_ = nullptr, ddStream_ = nullptr, directDraw_ = nullptr;
        SetUp();
    }
}

TEST_F(OpenFailureTest, Directory) {
    const std::string directory = temp_.File("folder.avi");
    ASSERT_EQ(mkdir(directory.c_str(), 0700), 0);
    ExpectRefused(directory);
}

// Only regular files are movies: a FIFO is refused at once, not waited on
// for a writer, and so is a device that never ends.
TEST_F(OpenFailureTest, Fifo) {
    const std::string fifo = temp_.File("pipe.avi");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ExpectRefused(fifo);
}

TEST_F(OpenFailureTest, Device) { ExpectRefused("/dev/zero"); }

TEST_F(OpenFailureTest, NullName) {
    ASSERT_EQ(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                               reinterpret_cast<void **>(&mm_)),
              S_OK);
    EXPECT_EQ(mm_->OpenFile(nullptr, 0), E_POINTER);
}

// Names longer than MAX_PATH and outside ASCII reach the file system intact.
TEST_F(OpenFailureTest, LongAndNonAsciiNamesOpen) {
    MovieRecipe recipe;
    recipe.width = 64;
    recipe.height = 48;
    recipe.frames = 2;
    const std::string movie = WriteMovie(recipe);
    std::string deep = temp_.path();
    for (int i = 0; i < 6; ++i) {
        deep += "/" + std::string(60, static_cast<char>('a' + i));
        ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
    }
    const std::string longName = deep + "/movie.avi";
    ASSERT_EQ(link(movie.c_str(), longName.c_str()), 0);
    ASSERT_GT(longName.size(), 300u);
    ASSERT_EQ(Open(longName), S_OK);

    // "Fïlm-映画-🎬.avi" in UTF-8 on disk, in UTF-16 for OpenFile.
    const std::string utf8 = temp_.path() + "/F\xC3\xAFlm-\xE6\x98\xA0\xE7\x94\xBB-\xF0\x9F\x8E\xAC.avi";
    ASSERT_EQ(link(movie.c_str(), utf8.c_str()), 0);
    const std::u16string utf16 = Widen(temp_.path()) + u"/F\u00EFlm-\u6620\u753B-\U0001F3AC.avi";
    IAMMultiMediaStream *other = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                               reinterpret_cast<void **>(&other)),
              S_OK);
    ASSERT_EQ(other->AddMediaStream(directDraw_, &MSPID_PrimaryVideo, 0, nullptr), S_OK);
    EXPECT_EQ(other->OpenFile(utf16.c_str(), 0), S_OK);
    EXPECT_EQ(other->Release(), 0u);
}

// Two opens of one stream at once: the file is opened without the stream's
// lock, and the second finds the source being defined.
TEST_F(OpenFailureTest, ConcurrentOpensDefineOneSource) {
    MovieRecipe recipe;
    recipe.width = 64;
    recipe.height = 48;
    recipe.frames = 2;
    const std::u16string first = Widen(WriteMovie(recipe, "first")), second = Widen(WriteMovie(recipe, "second"));
    for (int round = 0; round < 10; ++round) {
        ASSERT_EQ(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                                   reinterpret_cast<void **>(&mm_)),
                  S_OK);
        ASSERT_EQ(mm_->AddMediaStream(directDraw_, &MSPID_PrimaryVideo, 0, nullptr), S_OK);
        HRESULT other = E_FAIL;
        std::thread aside([&] { other = mm_->OpenFile(second.c_str(), 0); });
        const HRESULT own = mm_->OpenFile(first.c_str(), 0);
        aside.join();
        EXPECT_EQ(std::min(own, other), MS_E_SOURCEALREADYDEFINED) << round;
        EXPECT_EQ(std::max(own, other), S_OK) << round;
        STREAM_TIME duration = 0;
        EXPECT_EQ(mm_->GetDuration(&duration), S_OK);
        EXPECT_EQ(mm_->AddMediaStream(nullptr, &MSPID_PrimaryAudio, AMMSF_ADDDEFAULTRENDERER, nullptr),
                  MS_E_SOURCEALREADYDEFINED);
        EXPECT_EQ(mm_->Release(), 0u);
        mm_ = nullptr;
    }
}

using AddMediaStreamTest = StreamTest;

TEST_F(AddMediaStreamTest, EachPurposeOnceAndOnlyKnownOnes) {
    ASSERT_EQ(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                               reinterpret_cast<void **>(&mm_)),
              S_OK);
    ASSERT_EQ(mm_->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, nullptr), S_OK);
    ASSERT_EQ(mm_->AddMediaStream(directDraw_, &MSPID_PrimaryVideo, 0, nullptr), S_OK);
    EXPECT_EQ(mm_->AddMediaStream(directDraw_, &MSPID_PrimaryVideo, 0, nullptr), MS_E_PURPOSEID);
    const MSPID unknown = IID_IDirectDraw;
    EXPECT_EQ(mm_->AddMediaStream(nullptr, &unknown, 0, nullptr), MS_E_PURPOSEID);
    ASSERT_EQ(mm_->AddMediaStream(nullptr, &MSPID_PrimaryAudio, AMMSF_ADDDEFAULTRENDERER, nullptr), S_OK)
        << "the dummy driver is a device";
    EXPECT_EQ(mm_->AddMediaStream(nullptr, &MSPID_PrimaryAudio, AMMSF_ADDDEFAULTRENDERER, nullptr), MS_E_PURPOSEID);
    IMediaStream *audio = nullptr;
    EXPECT_EQ(mm_->GetMediaStream(MSPID_PrimaryAudio, &audio), MS_E_NOSTREAM) << "the renderer is no stream";
}

// The video stream holds a reference on its DirectDraw object.
TEST_F(AddMediaStreamTest, VideoStreamHoldsTheDirectDrawObject) {
    ASSERT_EQ(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                               reinterpret_cast<void **>(&mm_)),
              S_OK);
    directDraw_->AddRef();
    const ULONG before = directDraw_->Release();
    ASSERT_EQ(mm_->AddMediaStream(directDraw_, &MSPID_PrimaryVideo, 0, nullptr), S_OK);
    directDraw_->AddRef();
    EXPECT_EQ(directDraw_->Release(), before + 1);
    EXPECT_EQ(mm_->Release(), 0u);
    mm_ = nullptr;
    directDraw_->AddRef();
    EXPECT_EQ(directDraw_->Release(), before);
}

TEST_F(AddMediaStreamTest, NoAudioDeviceMeansSilentPlayback) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    MovieRecipe recipe;
    recipe.kind = moviegen::Kind::Mpeg4PcmAvi;
    recipe.width = 64;
    recipe.height = 48;
    recipe.frames = 3;
    recipe.audio = true;
    const std::string path = WriteMovie(recipe);
    ASSERT_EQ(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                               reinterpret_cast<void **>(&mm_)),
              S_OK);
    ASSERT_EQ(mm_->AddMediaStream(directDraw_, &MSPID_PrimaryVideo, 0, nullptr), S_OK);
    EXPECT_EQ(mm_->AddMediaStream(nullptr, &MSPID_PrimaryAudio, AMMSF_ADDDEFAULTRENDERER, nullptr),
              VFW_E_NO_AUDIO_HARDWARE);
    ASSERT_EQ(mm_->OpenFile(Widen(path).c_str(), 0), S_OK);
}

}  // namespace
}  // namespace mmtest
