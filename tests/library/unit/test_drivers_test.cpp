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

struct Outcome {
    int result;
    std::string out, err;
    bool operator==(const Outcome &o) const { return result == o.result && out == o.out && err == o.err; }
};

void PrintTo(const Outcome &run, std::ostream *to) {
    *to << "result " << run.result << ", stdout \"" << run.out << "\", stderr \"" << run.err << "\"";
}

template <class Call>
Outcome capture(Call call) {
    CaptureStdout();
    CaptureStderr();
    Outcome run{call(), GetCapturedStdout(), ""};
    run.err = GetCapturedStderr();
    return run;
}

class TestEntry : public testing::Test {
protected:
    TestEntry() {
        creation = DirectDrawCreation{};
        creation.object = &directDraw;
        directDraw.surface = &primary;
        movie.mm.openResult = E_FAIL;  // every file fails to open: no progress line
    }
    Outcome entry(int argc) {
        char *argv[] = {program, second, first, nullptr};
        return capture([&] { return dshowtest(argc, argv); });
    }
    // The DirectDraw object's and the primary surface's calls, in order.
    std::vector<std::string> setUpCalls() const {
        std::vector<std::string> calls;
        for (const std::string &call : movie.log.calls)
            if (call.rfind("ddraw.", 0) == 0 || call.rfind("primary.", 0) == 0) calls.push_back(call);
        return calls;
    }

    char program[8] = "reelrun", second[11] = "second.avi", first[10] = "first.avi";
    fakes::ScriptedMovie movie;  // the streaming service
    FakeDirectDraw directDraw{&movie.log};
    FakeSurface primary{&movie.log, "primary", 640, 480, 640};
};

TEST_F(TestEntry, FewerThanTwoArgumentsPrintUsageAndCreateNothing) {
    for (int argc : {0, 1}) EXPECT_EQ(entry(argc), (Outcome{0, "Usage : reelrun movie.ext\n", ""}));
    EXPECT_EQ(creation.calls, 0);
    EXPECT_TRUE(movie.log.calls.empty());
}

TEST_F(TestEntry, PlaysTheSecondElementOnTheDesktopsPrimarySurfaceThenReleasesBoth) {
    const ULONG comBefore = StandinComInitCount();
    EXPECT_EQ(entry(3), (Outcome{1, "", "Error in create MMStream for second.avi\n"}));
    EXPECT_EQ(movie.mm.openedName, u"second.avi");
    EXPECT_EQ(directDraw.cooperativeWindow, GetDesktopWindow());
    EXPECT_EQ(directDraw.cooperativeFlags, DWORD{DDSCL_NORMAL});
    ASSERT_EQ(directDraw.created.size(), 1u);
    EXPECT_EQ(directDraw.created[0].dwFlags, DWORD{DDSD_CAPS});
    EXPECT_EQ(directDraw.created[0].ddsCaps.dwCaps, DWORD{DDSCAPS_PRIMARYSURFACE});
    EXPECT_THAT(setUpCalls(),
                ElementsAre("ddraw.SetCooperativeLevel", "ddraw.CreateSurface", "primary.Release", "ddraw.Release"));
    EXPECT_EQ(primary.refs() + directDraw.refs(), 2u);  // each reference it got went back
    // The exercise's own COM initialisation stays in place.
    EXPECT_EQ(StandinComInitCount(), comBefore + 1);
    CoUninitialize();
}

TEST_F(TestEntry, RefusedSetUpSaysWhichReleasesWhatItGotAndPlaysNothing) {
    creation.result = DDERR_NODIRECTDRAWHW;
    creation.object = nullptr;
    EXPECT_EQ(entry(2), (Outcome{0, "", "Error in DirectDrawCreate\n"}));
    EXPECT_TRUE(setUpCalls().empty());

    creation = DirectDrawCreation{0, DD_OK, &directDraw};
    directDraw.surface = nullptr;
    EXPECT_EQ(entry(2), (Outcome{0, "", "Error in CreateSurface for the primary surface\n"}));
    EXPECT_THAT(setUpCalls(), ElementsAre("ddraw.SetCooperativeLevel", "ddraw.CreateSurface", "ddraw.Release"));
    EXPECT_EQ(directDraw.refs(), 1u);
    EXPECT_TRUE(movie.mm.openedName.empty());
}

TEST_F(TestEntry, ExerciseOnAMovieThatCannotBeOpenedReturnsZeroWithoutProgress) {
    movie.mm.openResult = VFW_E_INVALID_FILE_FORMAT;
    EXPECT_EQ(capture([&] { return dshowRender("bad.avi", nullptr, &movie.directDraw, &primary); }),
              (Outcome{0, "", "Error in create MMStream for bad.avi\n"}));
    EXPECT_TRUE(setUpCalls().empty());
    CoUninitialize();  // the exercise's own
}

}  // namespace

extern "C" HRESULT WINAPI DirectDrawCreate(GUID *guid, LPDIRECTDRAW *out, IUnknown *outer) {
    ++creation.calls;
    EXPECT_EQ(guid, nullptr);  // the active display driver
    EXPECT_EQ(outer, nullptr);
    if (creation.object != nullptr) creation.object->AddRef();  // the caller's reference
    *out = creation.object;
    return creation.result;
}
