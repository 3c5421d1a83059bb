// The test entry and the scripted exercise around what they create and
// print: usage, failures to set up DirectDraw, which argument is played, and
// a movie that cannot be opened. DirectDrawCreate is this program's own, so
// the DirectDraw object the entry gets is a fake.
#include <ostream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <standin/standin.h>

#include "fakes/scripted_movie.h"
#include "stream/stream_sample.h"

namespace {

using fakes::FakeDirectDraw;
using fakes::FakeSurface;
using fakes::ScriptedMovie;
using testing::ElementsAre;
using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

// What the program's DirectDrawCreate hands out.
struct DirectDrawCreation {
    int calls = 0;
    HRESULT result = DD_OK;
    IDirectDraw *object = nullptr;
} creation;

char program[] = "reelrun";
char first[] = "first.avi";
char second[] = "second.avi";

struct Captured {
    int result;
    std::string out, err;
    bool operator==(const Captured &other) const {
        return result == other.result && out == other.out && err == other.err;
    }
};

void PrintTo(const Captured &run, std::ostream *to) {
    *to << "result " << run.result << ", stdout \"" << run.out << "\", stderr \"" << run.err << "\"";
}

template <class Run>
Captured capture(Run run) {
    CaptureStdout();
    CaptureStderr();
    const int result = run();
    Captured captured{result, GetCapturedStdout(), ""};
    captured.err = GetCapturedStderr();
    return captured;
}

class TestEntry : public testing::Test {
protected:
    TestEntry() {
        creation = DirectDrawCreation{};
        creation.object = &directDraw;
        directDraw.surface = &primary;
        movie.mm.openResult = E_FAIL;
    }

    ScriptedMovie movie;  // the streaming service, refusing every file
    FakeDirectDraw directDraw{&movie.log};
    FakeSurface primary{&movie.log, "primary", 640, 480, 640};
};

TEST_F(TestEntry, FewerThanTwoArgumentsPrintUsageAndCreateNothing) {
    char *argv[] = {program, nullptr};
    for (int argc : {0, 1}) {
        EXPECT_EQ(capture([&] { return dshowtest(argc, argv); }), (Captured{0, "Usage : reelrun movie.ext\n", ""}));
    }
    EXPECT_EQ(creation.calls, 0);
    EXPECT_TRUE(movie.log.calls.empty());
}

TEST_F(TestEntry, PlaysTheSecondElementOnTheDesktopsPrimarySurfaceThenReleasesBoth) {
    char *argv[] = {program, second, first, nullptr};
    const ULONG comBefore = StandinComInitCount();
    // The movie never opens: no progress line.
    EXPECT_EQ(capture([&] { return dshowtest(3, argv); }),
              (Captured{1, "", "Error in create MMStream for second.avi\n"}));
    EXPECT_EQ(movie.mm.openedName, u"second.avi");
    EXPECT_EQ(creation.calls, 1);
    EXPECT_EQ(directDraw.cooperativeWindow, GetDesktopWindow());
    EXPECT_EQ(directDraw.cooperativeFlags, DWORD{DDSCL_NORMAL});
    ASSERT_EQ(directDraw.created.size(), 1u);
    const DDSURFACEDESC &desc = directDraw.created[0];
    EXPECT_EQ(desc.dwSize, sizeof(DDSURFACEDESC));
    EXPECT_EQ(desc.dwFlags, DWORD{DDSD_CAPS});
    EXPECT_EQ(desc.ddsCaps.dwCaps, DWORD{DDSCAPS_PRIMARYSURFACE});
    EXPECT_EQ(directDraw.outers, std::vector<IUnknown *>{nullptr});
    // The primary goes before the DirectDraw object, each exactly once.
    std::vector<std::string> setUp;
    for (const std::string &call : movie.log.calls)
        if (call.rfind("ddraw.", 0) == 0 || call.rfind("primary.", 0) == 0) setUp.push_back(call);
    EXPECT_THAT(setUp, ElementsAre("ddraw.SetCooperativeLevel", "ddraw.CreateSurface", "primary.Release",
                                   "ddraw.Release"));
    EXPECT_EQ(primary.refs(), 1u);
    EXPECT_EQ(directDraw.refs(), 1u);
    // dshowRender's own COM initialisation stays in place.
    EXPECT_EQ(StandinComInitCount(), comBefore + 1);
    CoUninitialize();
}

TEST_F(TestEntry, RefusedDirectDrawSaysSoAndCreatesNothingElse) {
    creation.result = DDERR_NODIRECTDRAWHW;
    creation.object = nullptr;
    char *argv[] = {program, first, nullptr};
    EXPECT_EQ(capture([&] { return dshowtest(2, argv); }), (Captured{0, "", "Error in DirectDrawCreate\n"}));
    EXPECT_TRUE(movie.log.calls.empty());
}

TEST_F(TestEntry, RefusedPrimarySurfaceReleasesOnlyTheDirectDrawObject) {
    directDraw.surface = nullptr;
    char *argv[] = {program, first, nullptr};
    EXPECT_EQ(capture([&] { return dshowtest(2, argv); }),
              (Captured{0, "", "Error in CreateSurface for the primary surface\n"}));
    EXPECT_THAT(movie.log.calls, ElementsAre("ddraw.SetCooperativeLevel", "ddraw.CreateSurface", "ddraw.Release"));
    EXPECT_EQ(directDraw.refs(), 1u);
    EXPECT_TRUE(movie.mm.openedName.empty());
}

TEST(ScriptedExercise, MovieThatCannotBeOpenedReturnsZeroWithoutProgress) {
    ScriptedMovie movie;
    movie.mm.openResult = VFW_E_INVALID_FILE_FORMAT;
    FakeSurface primary(&movie.log, "primary", 640, 480, 640);
    const ULONG comBefore = StandinComInitCount();
    EXPECT_EQ(capture([&] { return dshowRender("bad.avi", nullptr, &movie.directDraw, &primary); }),
              (Captured{0, "", "Error in create MMStream for bad.avi\n"}));
    EXPECT_TRUE(movie.log.startingWith("primary.").empty());
    EXPECT_EQ(StandinComInitCount(), comBefore + 1);
    CoUninitialize();
}

}  // namespace

extern "C" HRESULT WINAPI DirectDrawCreate(GUID *guid, LPDIRECTDRAW *out, IUnknown *outer) {
    ++creation.calls;
    // The active display driver, not aggregated.
    EXPECT_EQ(guid, nullptr);
    EXPECT_EQ(outer, nullptr);
    // A reference for the caller, as any creation hands out.
    if (creation.object != nullptr) creation.object->AddRef();
    *out = creation.object;
    return creation.result;
}
