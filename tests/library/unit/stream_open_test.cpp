// Opening a movie: what createStreamSample asks of the platform, what the
// record holds afterwards, and the exits that hand the host null.
#include <algorithm>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <standin/standin.h>

#include "fakes/scripted_movie.h"
#include "stream/stream_sample.h"

namespace {

using fakes::ScriptedMovie;
using testing::ElementsAre;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

HWND someWindow() { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1231)); }

TEST(LibraryOpen, CallsThePlatformInOrderWithTheDocumentedArguments) {
    ScriptedMovie movie;
    StreamSample *stream = createStreamSample("movie.avi", someWindow(), &movie.directDraw);
    ASSERT_NE(stream, nullptr);

    // What the COM runtime does with the class object is its own business.
    std::vector<std::string> calls = movie.log.calls;
    calls.erase(std::remove(calls.begin(), calls.end(), "factory.Release"), calls.end());
    EXPECT_THAT(calls,
                ElementsAre("factory.CreateInstance", "mm.Initialize", "mm.AddMediaStream",
                            "mm.AddMediaStream", "mm.OpenFile", "mm.GetMediaStream(video)", "mm.GetDuration",
                            "video.QueryInterface(ddstream)", "ddstream.GetFormat", "ddstream.GetTimePerFrame",
                            "ddraw.CreateSurface", "ddstream.CreateSample", "mm.GetState", "mm.SetState(1)",
                            "sample.Update(0)", "mm.GetTime",
                            // the palette capture looks for a palette once more
                            "ddstream.GetFormat"));

    EXPECT_EQ(movie.mm.initType, STREAMTYPE_READ);
    EXPECT_EQ(movie.mm.initFlags, DWORD{AMMSF_NOGRAPHTHREAD});
    EXPECT_EQ(movie.mm.initGraph, nullptr);
    ASSERT_EQ(movie.mm.added.size(), 2u);
    EXPECT_EQ(movie.mm.added[0].streamObject, static_cast<IUnknown *>(&movie.directDraw));
    EXPECT_EQ(movie.mm.added[0].purpose, MSPID_PrimaryVideo);
    EXPECT_EQ(movie.mm.added[0].flags, 0u);
    EXPECT_EQ(movie.mm.added[0].newStream, nullptr);
    EXPECT_EQ(movie.mm.added[1].streamObject, nullptr);
    EXPECT_EQ(movie.mm.added[1].purpose, MSPID_PrimaryAudio);
    EXPECT_EQ(movie.mm.added[1].flags, DWORD{AMMSF_ADDDEFAULTRENDERER});
    EXPECT_EQ(movie.mm.added[1].newStream, nullptr);
    EXPECT_EQ(movie.mm.openedName, u"movie.avi");
    EXPECT_EQ(movie.mm.openFlags, 0u);

    // Both format queries describe the whole format, sized for this build.
    ASSERT_EQ(movie.ddStream.formatCalls.size(), 2u);
    const auto &openQuery = movie.ddStream.formatCalls[0];
    EXPECT_EQ(openQuery.currentSize, sizeof(DDSURFACEDESC));
    EXPECT_EQ(openQuery.currentFlags, DWORD{DDSD_ALL});
    EXPECT_TRUE(openQuery.paletteOut && openQuery.desired && openQuery.flagsOut);
    const auto &paletteQuery = movie.ddStream.formatCalls[1];
    EXPECT_EQ(paletteQuery.currentSize, sizeof(DDSURFACEDESC));
    EXPECT_EQ(paletteQuery.currentFlags, DWORD{DDSD_ALL});
    EXPECT_TRUE(paletteQuery.paletteOut);
    EXPECT_FALSE(paletteQuery.desired || paletteQuery.flagsOut);

    // The frame surface is made from the current format exactly as reported.
    ASSERT_EQ(movie.directDraw.created.size(), 1u);
    const DDSURFACEDESC &made = movie.directDraw.created[0];
    EXPECT_EQ(made.dwSize, sizeof(DDSURFACEDESC));
    EXPECT_EQ(made.dwFlags, movie.ddStream.format.dwFlags);
    EXPECT_EQ(made.dwWidth, ScriptedMovie::kWidth);
    EXPECT_EQ(made.dwHeight, ScriptedMovie::kHeight);
    EXPECT_EQ(made.ddsCaps.dwCaps, movie.ddStream.format.ddsCaps.dwCaps);
    EXPECT_EQ(made.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(movie.directDraw.outers[0], nullptr);

    EXPECT_EQ(movie.ddStream.sampleSurface, static_cast<IDirectDrawSurface *>(&movie.surface));
    EXPECT_EQ(movie.ddStream.sampleRect.left, 0);
    EXPECT_EQ(movie.ddStream.sampleRect.top, 0);
    EXPECT_EQ(movie.ddStream.sampleRect.right, 320);
    EXPECT_EQ(movie.ddStream.sampleRect.bottom, 240);
    EXPECT_EQ(movie.ddStream.sampleFlags, DWORD{DDSFF_PROGRESSIVERENDER});

    // The first frame is decoded synchronously, with nothing to notify.
    ASSERT_EQ(movie.sample.updates.size(), 1u);
    EXPECT_EQ(movie.sample.updates[0].event, nullptr);
    EXPECT_EQ(movie.sample.updates[0].apc, nullptr);
    EXPECT_EQ(movie.sample.updates[0].apcData, 0u);
    EXPECT_EQ(movie.mm.state, STREAMSTATE_RUN);
    freeStreamSample(stream);
}

TEST(LibraryOpen, FillsTheRecord) {
    ScriptedMovie movie;
    movie.sample.updateResult = MS_S_ENDOFSTREAM;  // not a reason to fail
    StreamSample *stream = createStreamSample("movie.avi", someWindow(), &movie.directDraw);
    ASSERT_NE(stream, nullptr);

    EXPECT_EQ(stream->directDraw, &movie.directDraw);
    EXPECT_EQ(stream->hwnd, someWindow());
    EXPECT_EQ(stream->mmStream, static_cast<IAMMultiMediaStream *>(&movie.mm));
    EXPECT_EQ(stream->videoStream, static_cast<IMediaStream *>(&movie.video));
    EXPECT_EQ(stream->ddStream, static_cast<IDirectDrawMediaStream *>(&movie.ddStream));
    EXPECT_EQ(stream->sample, static_cast<IDirectDrawStreamSample *>(&movie.sample));
    EXPECT_EQ(stream->surface, static_cast<IDirectDrawSurface *>(&movie.surface));
    EXPECT_EQ(stream->backSurface, nullptr);
    EXPECT_EQ(stream->frameRect.left, 0);
    EXPECT_EQ(stream->frameRect.top, 0);
    EXPECT_EQ(stream->frameRect.right, 320);
    EXPECT_EQ(stream->frameRect.bottom, 240);
    int width = -1, height = -1;
    streamRect(stream, &width, &height);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
    EXPECT_EQ(stream->duration, 50000000);
    EXPECT_EQ(stream->frameTime, 400000);
    EXPECT_EQ(stream->currentTime, 400000);
    EXPECT_EQ(stream->updateStatus, MS_S_ENDOFSTREAM);
    // A format without a palette leaves all three palette fields empty.
    EXPECT_EQ(stream->ddPalette, nullptr);
    EXPECT_EQ(stream->hPalette, nullptr);
    EXPECT_EQ(stream->logPalette, nullptr);
    // Nothing presented: the frame surface was never locked.
    EXPECT_TRUE(movie.surface.locks.empty());

    freeStreamSample(stream);
}

TEST(LibraryOpen, PassesLongAndNonAsciiNamesWhole) {
    ScriptedMovie movie;
    const std::string longName = "/movies/" + std::string(300, 'x') + ".avi";
    StreamSample *stream = createStreamSample(longName.c_str(), nullptr, &movie.directDraw);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(movie.mm.openedName, std::u16string(longName.begin(), longName.end()));
    freeStreamSample(stream);

    stream = createStreamSample("caf\xC3\xA9.avi", nullptr, &movie.directDraw);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(movie.mm.openedName, u"caf\u00E9.avi");
    freeStreamSample(stream);
}

TEST(LibraryOpen, NoStreamObjectPrintsOneLineAndReturnsNull) {
    ScriptedMovie movie;
    movie.factory.product = nullptr;
    const ULONG comBefore = StandinComInitCount();

    CaptureStderr();
    StreamSample *stream = createStreamSample("missing.avi", nullptr, &movie.directDraw);
    EXPECT_EQ(GetCapturedStderr(), "Error in create MMStream for missing.avi\n");
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(StandinComInitCount(), comBefore);
    EXPECT_TRUE(movie.log.startingWith("mm.").empty());
}

TEST(LibraryOpen, FailedOrFalseOpenFileIsAFailedOpen) {
    for (HRESULT openResult : {E_FAIL, S_FALSE, VFW_E_UNKNOWN_FILE_TYPE}) {
        SCOPED_TRACE(openResult);
        ScriptedMovie movie;
        movie.mm.openResult = openResult;
        const ULONG comBefore = StandinComInitCount();

        CaptureStderr();
        StreamSample *stream = createStreamSample("garbage.avi", nullptr, &movie.directDraw);
        EXPECT_EQ(GetCapturedStderr(), "Error in create MMStream for garbage.avi\n");
        EXPECT_EQ(stream, nullptr);
        EXPECT_EQ(movie.mm.refs(), 1u);
        EXPECT_THAT(movie.log.startingWith("mm."),
                    ElementsAre("mm.Initialize", "mm.AddMediaStream", "mm.AddMediaStream", "mm.OpenFile",
                                "mm.Release"));
        EXPECT_EQ(StandinComInitCount(), comBefore);
    }
}

// The exits after the stream object exists: no message, the stream stopped
// before anything is released, every reference handed back.
enum class Missing { VideoStream, DirectDrawInterface, Format, Surface, Sample };

std::string missingName(const testing::TestParamInfo<Missing> &info) {
    static const char *const names[] = {"VideoStream", "DirectDrawInterface", "Format", "Surface", "Sample"};
    return names[static_cast<int>(info.param)];
}

class LibraryOpenSilentFailure : public testing::TestWithParam<Missing> {};

TEST_P(LibraryOpenSilentFailure, StopsReleasesAndReturnsNull) {
    ScriptedMovie movie;
    movie.withPalette();
    switch (GetParam()) {
        case Missing::VideoStream: movie.mm.videoStream = nullptr; break;
        case Missing::DirectDrawInterface: movie.video.refuseDirectDraw = true; break;
        case Missing::Format: movie.ddStream.formatResult = MS_E_NOSTREAM; break;
        case Missing::Surface: movie.directDraw.surface = nullptr; break;
        case Missing::Sample: movie.ddStream.sample = nullptr; break;
    }
    const ULONG comBefore = StandinComInitCount();

    CaptureStderr();
    StreamSample *stream = createStreamSample("movie.avi", nullptr, &movie.directDraw);
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(stream, nullptr);

    const auto &calls = movie.log.calls;
    const auto stop = std::find(calls.begin(), calls.end(), "mm.SetState(0)");
    ASSERT_NE(stop, calls.end());
    EXPECT_EQ(std::find(calls.begin(), stop, "mm.Release"), stop);
    EXPECT_EQ(std::find(calls.begin(), stop, "video.Release"), stop);
    EXPECT_TRUE(movie.sample.updates.empty());

    EXPECT_EQ(movie.mm.refs(), 1u);
    EXPECT_EQ(movie.video.refs(), 1u);
    EXPECT_EQ(movie.ddStream.refs(), 1u);
    EXPECT_EQ(movie.surface.refs(), 1u);
    EXPECT_EQ(movie.sample.refs(), 1u);
    EXPECT_EQ(movie.palette.refs(), 1u);
    EXPECT_EQ(movie.directDraw.refs(), 1u);
    EXPECT_EQ(StandinComInitCount(), comBefore);
}

INSTANTIATE_TEST_SUITE_P(EachMissingPiece, LibraryOpenSilentFailure,
                         testing::Values(Missing::VideoStream, Missing::DirectDrawInterface, Missing::Format,
                                         Missing::Surface, Missing::Sample),
                         missingName);

}  // namespace
