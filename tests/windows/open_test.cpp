// Opening movies on the real platform: geometry, duration, frame time, the
// clock after the first decode, the palette, COM and the host's DirectDraw
// references, and files that cannot be opened.
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <vidsurf.h>

#include "desktop_host.h"
#include "movie_set.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

// Whether COM is initialised on this thread, probed without changing it.
bool ComInitialisedHere() {
    const HRESULT result = CoInitialize(nullptr);
    if (SUCCEEDED(result)) CoUninitialize();
    return result == S_FALSE;
}

double Seconds(int64_t units) { return units / 1e7; }

class WindowsOpen : public testing::TestWithParam<TestMovie> {};

// The MPEG-4 movie has a sound track and these machines have no sound
// device: the stream refuses the default audio renderer, yet the file still
// opens, and the library must not count that refusal as a failure.
// The pal8 movie reaches the library as 32-bit frames (Wine's decoder
// converts to the screen's depth), so no stream palette is reported.
TEST_P(WindowsOpen, GeometryTimesAndNoPaletteOnTrueColour) {
    const TestMovie &movie = GetParam();
    DesktopHost host;
    ASSERT_TRUE(host.ready());
    const ULONG hostReferences = ReferencesOf(host.directDraw());
    ASSERT_FALSE(ComInitialisedHere());

    const std::string file = MoviePath(movie.name);
    CaptureStderr();
    StreamSample *stream = createStreamSample(file.c_str(), nullptr, host.directDraw());
    EXPECT_EQ(GetCapturedStderr(), "");
    ASSERT_NE(stream, nullptr) << file;
    EXPECT_TRUE(ComInitialisedHere());

    int width = -1, height = -1;
    streamRect(stream, &width, &height);
    EXPECT_EQ(width, movie.recipe.width);
    EXPECT_EQ(height, movie.recipe.height);
    EXPECT_DOUBLE_EQ(streamFrametime(stream), 40.0);
    const double duration = Seconds(moviegen::MovieDuration100ns(movie.recipe));
    EXPECT_NEAR(streamDuration(stream), duration, 0.04);
    // The clock as read right after the first frame's decode.
    EXPECT_GE(streamClock(stream), 0.0);
    EXPECT_LT(streamClock(stream), duration);

    unsigned char rgb[768];
    std::memset(rgb, 0xab, sizeof rgb);
    EXPECT_EQ(streamPalette(stream, rgb), 0);
    EXPECT_EQ(std::vector<unsigned char>(rgb, rgb + 768), std::vector<unsigned char>(768, 0xab));

    // A seek leaves the clock read-out alone until the next decode reads it.
    const double clock = streamClock(stream);
    streamSeek(stream, duration / 2);
    EXPECT_EQ(streamClock(stream), clock);

    freeStreamSample(stream);
    EXPECT_FALSE(ComInitialisedHere());
    EXPECT_EQ(ReferencesOf(host.directDraw()), hostReferences);
}

INSTANTIATE_TEST_SUITE_P(EachMovie, WindowsOpen, testing::ValuesIn(AllTestMovies()),
                         [](const testing::TestParamInfo<TestMovie> &info) { return TestMovieName(info.param); });

TEST(WindowsOpenNull, NullRecordIsAcceptedWhereTheInterfaceSaysSo) {
    freeStreamSample(nullptr);
    streamSeek(nullptr, 1.0);
    streamSeek(nullptr, -2.0);
    EXPECT_EQ(streamClock(nullptr), 0.0);
    EXPECT_EQ(streamDuration(nullptr), 0.0);
    EXPECT_EQ(streamFrametime(nullptr), 0.0);
    int width = 7, height = 9;
    streamRect(nullptr, &width, &height);
    EXPECT_EQ(width, 7);
    EXPECT_EQ(height, 9);
    EXPECT_FALSE(ComInitialisedHere());
}

struct BrokenFile {
    const char *name;
    bool exists;
    std::string content;
};

class WindowsOpenFailure : public testing::TestWithParam<BrokenFile> {};

TEST_P(WindowsOpenFailure, RefusedWithTheDiagnosticAndNothingLeftBehind) {
    const BrokenFile &broken = GetParam();
    const std::string file = MoviePath(broken.name);
    if (broken.exists) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << broken.content;
        ASSERT_TRUE(out.good()) << file;
    }
    DesktopHost host;
    ASSERT_TRUE(host.ready());
    const ULONG hostReferences = ReferencesOf(host.directDraw());

    CaptureStderr();
    StreamSample *stream = createStreamSample(file.c_str(), nullptr, host.directDraw());
    EXPECT_EQ(GetCapturedStderr(), "Error in create MMStream for " + file + "\n");
    EXPECT_EQ(stream, nullptr);
    EXPECT_FALSE(ComInitialisedHere());
    EXPECT_EQ(ReferencesOf(host.directDraw()), hostReferences);
    freeStreamSample(stream);
}

std::string Garbage(size_t bytes) {
    std::string text(bytes, '\0');
    unsigned state = 7;
    for (char &c : text) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    return text;
}

INSTANTIATE_TEST_SUITE_P(Files, WindowsOpenFailure,
                         testing::Values(BrokenFile{"missing.avi", false, ""}, BrokenFile{"empty.avi", true, ""},
                                         BrokenFile{"garbage.avi", true, Garbage(64 * 1024)},
                                         BrokenFile{"text.mpg", true, "not a movie\n"}),
                         [](const testing::TestParamInfo<BrokenFile> &info) {
                             std::string name = info.param.name;
                             return name.substr(0, name.find('.'));
                         });

TEST(WindowsOpenTwice, TwoRecordsOfOneFileAreIndependent) {
    DesktopHost host;
    ASSERT_TRUE(host.ready());
    const std::string file = MoviePath(MjpegMovie().name);
    StreamSample *first = createStreamSample(file.c_str(), nullptr, host.directDraw());
    StreamSample *second = createStreamSample(file.c_str(), nullptr, host.directDraw());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    freeStreamSample(first);
    // COM stays initialised for the record still open.
    EXPECT_TRUE(ComInitialisedHere());
    int width = 0, height = 0;
    streamRect(second, &width, &height);
    EXPECT_EQ(width, MjpegMovie().recipe.width);
    EXPECT_NEAR(streamDuration(second), 0.4, 0.04);
    freeStreamSample(second);
    EXPECT_FALSE(ComInitialisedHere());
}

}  // namespace
