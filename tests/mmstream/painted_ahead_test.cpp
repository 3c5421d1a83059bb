// On the real clock a frame that is not due yet is painted ahead and copied
// into the surface once due: what arrives is exactly the frame, also for a
// row length that is no multiple of the copy's alignment, and in the
// rectangle of a sample other than the one it was painted for, without a
// pixel outside it.
#include "stream_fixture.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <ddstream.h>

namespace mmtest {
namespace {

using moviegen::MovieRecipe;

class PaintedAheadTest : public StreamTest {
protected:
    void SetUp() override {
        StreamTest::SetUp();
        recipe_.width = 66;  // 264 bytes a row on a 32-bit screen
        recipe_.height = 50;
        recipe_.frames = 6;
        ASSERT_EQ(Open(recipe_), S_OK);  // raw RGB: every pixel known
        MakeSample();
    }
    MovieRecipe recipe_;
};

TEST_F(PaintedAheadTest, EveryFrameArrivesPixelForPixel) {
    for (int i = 0; i < recipe_.frames; ++i) {
        ASSERT_EQ(UpdateNow(), S_OK);
        EXPECT_EQ(SurfaceRgb24(), moviegen::FrameRgb24(recipe_, i)) << "frame " << i;
    }
    EXPECT_EQ(UpdateNow(), MS_S_ENDOFSTREAM);
}

TEST_F(PaintedAheadTest, AFramePaintedAheadLandsInAnotherSamplesRectangle) {
    ASSERT_EQ(UpdateNow(), S_OK);
    // Frame 1 is painted ahead while this update waits for it; then the
    // update is taken back.
    ASSERT_EQ(sample_->Update(SSUPDATE_ASYNC, nullptr, nullptr, 0), MS_S_PENDING);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(sample_->CompletionStatus(COMPSTAT_NOUPDATEOK, 0), MS_S_NOUPDATE);

    // A black surface larger than the frame, and a sample on a rectangle
    // inside it.
    DDSURFACEDESC larger = format_;
    larger.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    larger.dwWidth = static_cast<DWORD>(width_ + 8);
    larger.dwHeight = static_cast<DWORD>(height_ + 4);
    IDirectDrawSurface *surface = nullptr;
    ASSERT_EQ(directDraw_->CreateSurface(&larger, &surface, nullptr), DD_OK);
    DDSURFACEDESC locked{};
    locked.dwSize = sizeof locked;
    ASSERT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    std::fill_n(static_cast<uint8_t *>(locked.lpSurface), static_cast<size_t>(locked.lPitch) * larger.dwHeight, 0);
    surface->Unlock(locked.lpSurface);
    const RECT inside{5, 3, 5 + width_, 3 + height_};
    IDirectDrawStreamSample *other = nullptr;
    ASSERT_EQ(ddStream_->CreateSample(surface, &inside, 0, &other), S_OK);
    EXPECT_EQ(other->Update(0, nullptr, nullptr, 0), S_OK);
    other->Release();

    // Read through the fixture, pointed at the larger surface meanwhile.
    std::swap(surface_, surface);
    const int frameWidth = width_, frameHeight = height_;
    width_ = static_cast<int>(larger.dwWidth);
    height_ = static_cast<int>(larger.dwHeight);
    const std::vector<uint8_t> shown = SurfaceRgb24();
    std::swap(surface_, surface);
    width_ = frameWidth;
    height_ = frameHeight;
    surface->Release();

    const std::vector<uint8_t> frame = moviegen::FrameRgb24(recipe_, 1);
    std::vector<uint8_t> expected(shown.size(), 0);
    for (int y = 0; y < frameHeight; ++y)
        std::copy_n(frame.begin() + static_cast<ptrdiff_t>(y) * frameWidth * 3, frameWidth * 3,
                    expected.begin() + (static_cast<ptrdiff_t>(y + inside.top) * larger.dwWidth + inside.left) * 3);
    EXPECT_EQ(shown, expected);
}

}  // namespace
}  // namespace mmtest
