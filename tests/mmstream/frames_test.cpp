// Frames arrive in order, complete and in the right place, on a 32-bit
// screen with the free clock.
#include "stream_fixture.h"

#include <ddstream.h>

namespace mmtest {
namespace {

using moviegen::Kind;
using moviegen::MovieRecipe;

class FramesTest : public StreamTest, public ::testing::WithParamInterface<Kind> {};

// Lossless kinds must match the encoder's input exactly; lossy ones must
// at least show the right frame number.
TEST_P(FramesTest, EveryFrameArrivesInOrder) {
    MovieRecipe recipe;
    recipe.kind = GetParam();
    recipe.width = 160;
    recipe.height = 120;
    recipe.frames = 12;
    ASSERT_EQ(Open(recipe), S_OK);
    MakeSample();
    ASSERT_EQ(width_, recipe.width);
    ASSERT_EQ(height_, recipe.height);
    for (int i = 0; i < recipe.frames; ++i) {
        ASSERT_EQ(UpdateNow(), S_OK) << "frame " << i;
        if (moviegen::KindIsLossless(recipe.kind))
            ASSERT_EQ(SurfaceRgb24(), moviegen::FrameRgb24(recipe, i)) << "frame " << i;
        else
            ASSERT_EQ(ShownFrame(), i);
        STREAM_TIME start = -1, end = -1;
        ASSERT_EQ(sample_->GetSampleTimes(&start, &end, nullptr), S_OK);
        EXPECT_NEAR(start, moviegen::FrameStart100ns(recipe, i), 1);
    }
    EXPECT_EQ(UpdateNow(), MS_S_ENDOFSTREAM);
    EXPECT_EQ(UpdateNow(), MS_S_ENDOFSTREAM);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, FramesTest, ::testing::ValuesIn(moviegen::AllKinds()),
                         KindTestName);

using FrameGeometryTest = StreamTest;

// High-definition frames take milliseconds to decode, and a host polling
// back to back waits for them asleep: every frame still arrives, in order,
// and the end of the stream too.
TEST_F(FrameGeometryTest, PollingBackToBackForHighDefinitionFramesGetsEveryFrame) {
    MovieRecipe recipe;
    recipe.kind = Kind::H264Mov;
    recipe.width = 1280;
    recipe.height = 720;
    recipe.frames = 8;
    ASSERT_EQ(Open(recipe), S_OK);
    MakeSample();
    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
    for (int i = 0; i <= recipe.frames; ++i) {
        // After the last frame: the end once it is known, else pending.
        const HRESULT issued = sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0);
        ASSERT_TRUE(issued == MS_S_PENDING || (issued == MS_S_ENDOFSTREAM && i == recipe.frames))
            << "update " << i << ": " << std::hex << issued;
        HRESULT status = MS_S_PENDING;
        for (int poll = 0; poll < 1000000 && status == MS_S_PENDING; ++poll) status = sample_->CompletionStatus(0, 0);
        if (i == recipe.frames) {
            EXPECT_EQ(status, MS_S_ENDOFSTREAM);
        } else {
            ASSERT_EQ(status, S_OK) << "frame " << i;
            EXPECT_EQ(ShownFrame(), i);
        }
    }
}

// Odd sizes give surfaces whose pitch exceeds the row; nothing may shear.
TEST_F(FrameGeometryTest, OddSizeKeepsEveryRowInPlace) {
    MovieRecipe recipe;
    recipe.width = 321;
    recipe.height = 241;
    recipe.frames = 3;
    ASSERT_EQ(Open(recipe), S_OK);
    MakeSample();
    EXPECT_EQ(width_, 321);
    EXPECT_EQ(height_, 241);
    for (int i = 0; i < recipe.frames; ++i) {
        ASSERT_EQ(UpdateNow(), S_OK);
        ASSERT_EQ(SurfaceRgb24(), moviegen::FrameRgb24(recipe, i)) << "frame " << i;
    }
}

// A frame goes into the sample's rectangle and nowhere else.
TEST_F(FrameGeometryTest, FrameLandsInTheSampleRectangle) {
    MovieRecipe recipe;
    recipe.width = 64;
    recipe.height = 48;
    recipe.frames = 2;
    ASSERT_EQ(Open(recipe), S_OK);
    DDSURFACEDESC big{};
    big.dwSize = sizeof(big);
    big.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_CAPS;
    big.dwWidth = 100;
    big.dwHeight = 80;
    big.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    ASSERT_EQ(directDraw_->CreateSurface(&big, &surface_, nullptr), DD_OK);
    RECT rect{10, 20, 74, 68};
    ASSERT_EQ(ddStream_->CreateSample(surface_, &rect, 0, &sample_), S_OK);
    ASSERT_EQ(UpdateNow(), S_OK);

    width_ = 100, height_ = 80;
    const std::vector<uint8_t> whole = SurfaceRgb24();
    const std::vector<uint8_t> expected = moviegen::FrameRgb24(recipe, 0);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x) {
            const uint8_t *pixel = &whole[(static_cast<size_t>(y) * 100 + x) * 3];
            const bool inside = x >= 10 && x < 74 && y >= 20 && y < 68;
            const uint8_t *want = inside ? &expected[(static_cast<size_t>(y - 20) * 64 + (x - 10)) * 3] : nullptr;
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(pixel[c], inside ? want[c] : 0) << x << "," << y;
        }
}

using MovieTimingTest = StreamTest;

TEST_F(MovieTimingTest, DurationAndFrameTimeFollowTheFrameRate) {
    MovieRecipe recipe;
    recipe.fpsNum = 10;
    recipe.frames = 7;
    ASSERT_EQ(Open(recipe), S_OK);
    STREAM_TIME duration = 0, frameTime = 0;
    EXPECT_EQ(mm_->GetDuration(&duration), S_OK);
    EXPECT_EQ(duration, moviegen::MovieDuration100ns(recipe));
    EXPECT_EQ(ddStream_->GetTimePerFrame(&frameTime), S_OK);
    EXPECT_EQ(frameTime, 1000000);
    EXPECT_EQ(ddStream_->GetTimePerFrame(nullptr), E_POINTER);
}

TEST_F(MovieTimingTest, NtscRateGivesItsFrameTime) {
    MovieRecipe recipe;
    recipe.kind = Kind::Mpeg1Ps;
    recipe.fpsNum = 30000;
    recipe.fpsDen = 1001;
    recipe.frames = 6;
    ASSERT_EQ(Open(recipe), S_OK);
    STREAM_TIME frameTime = 0;
    EXPECT_EQ(ddStream_->GetTimePerFrame(&frameTime), S_OK);
    EXPECT_EQ(frameTime, 333667);
    MakeSample();
    for (int i = 0; i < recipe.frames; ++i) {
        ASSERT_EQ(UpdateNow(), S_OK);
        EXPECT_EQ(ShownFrame(), i);
    }
}

// The free clock runs to the duration at the end, so a host waiting for
// the clock to reach the duration does not wait forever.
TEST_F(MovieTimingTest, FreeClockFollowsTheFramesToTheEnd) {
    MovieRecipe recipe;
    recipe.frames = 4;
    ASSERT_EQ(Open(recipe), S_OK);
    MakeSample();
    for (int i = 0; i < recipe.frames; ++i) {
        ASSERT_EQ(UpdateNow(), S_OK);
        STREAM_TIME now = -1;
        EXPECT_EQ(mm_->GetTime(&now), S_OK);
        EXPECT_EQ(now, moviegen::FrameStart100ns(recipe, i));
    }
    EXPECT_EQ(UpdateNow(), MS_S_ENDOFSTREAM);
    STREAM_TIME now = -1;
    mm_->GetTime(&now);
    EXPECT_EQ(now, moviegen::MovieDuration100ns(recipe));
}

// A host that locks and blits the frame surface while the decoding thread
// writes into it waits for the frame instead of being refused.
using HostAccessTest = StreamTest;

TEST_F(HostAccessTest, WaitFlagsNeverSeeABusySurface) {
    MovieRecipe recipe;
    recipe.width = 320;
    recipe.height = 240;
    recipe.frames = 40;
    ASSERT_EQ(Open(recipe), S_OK);
    MakeSample();
    DDSURFACEDESC primaryDesc{};
    primaryDesc.dwSize = sizeof(primaryDesc);
    primaryDesc.dwFlags = DDSD_CAPS;
    primaryDesc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    IDirectDrawSurface *primary = nullptr;
    ASSERT_EQ(directDraw_->CreateSurface(&primaryDesc, &primary, nullptr), DD_OK);
    ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);

    RECT frame{0, 0, width_, height_};
    int frames = 0, accesses = 0;
    for (HRESULT status = S_OK; status == S_OK; ++frames) {
        // After the last frame: the end once it is known, else pending.
        status = sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0);
        ASSERT_TRUE(status == MS_S_PENDING || (status == MS_S_ENDOFSTREAM && frames == recipe.frames))
            << std::hex << status;
        while (status == MS_S_PENDING && (status = sample_->CompletionStatus(COMPSTAT_WAIT, 0)) == MS_S_PENDING) {
            DDSURFACEDESC desc{};
            desc.dwSize = sizeof(desc);
            ASSERT_EQ(surface_->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
            surface_->Unlock(nullptr);
            ASSERT_EQ(primary->Blt(&frame, surface_, &frame, DDBLT_WAIT, nullptr), DD_OK);
            ++accesses;
        }
        ASSERT_LT(frames, 100);
    }
    EXPECT_EQ(frames, 41);
    EXPECT_GT(accesses, 0);
    primary->Release();
}

}  // namespace
}  // namespace mmtest
