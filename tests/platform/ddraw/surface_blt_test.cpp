// Blt: stretching, rectangles, refusals, overlap, colour fill, the screen.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ddraw_test_support.h"

using namespace ddtest;

namespace {

class SurfaceBlt : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dd_ = OpenDirectDraw()); }

    Owned<IDirectDrawSurface> Make(DWORD width, DWORD height, DWORD bits = 32) {
        Owned<IDirectDrawSurface> surface = MakeOffscreen(dd_.get(), width, height, bits);
        EXPECT_TRUE(surface);
        return surface;
    }

    Owned<IDirectDraw> dd_;
};

}  // namespace

TEST_F(SurfaceBlt, StretchesTwiceByRepeatingPixels) {
    for (DWORD bits : {8u, 16u, 24u, 32u}) {
        Owned<IDirectDrawSurface> source = Make(3, 2, bits);
        Owned<IDirectDrawSurface> target = Make(6, 4, bits);
        PaintCoordinates(source.get());
        ASSERT_EQ(target->Blt(nullptr, source.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
        const DWORD mask = bits == 8 ? 0xFF : 0xFFFF;
        for (DWORD y = 0; y < 4; ++y) {
            for (DWORD x = 0; x < 6; ++x) {
                EXPECT_EQ(GetPixel(target.get(), x, y), Coordinate(x / 2, y / 2) & mask)
                    << bits << " bits at " << x << "," << y;
            }
        }
    }
}

TEST_F(SurfaceBlt, ShrinksByKeepingEveryOtherPixel) {
    Owned<IDirectDrawSurface> source = Make(8, 6);
    Owned<IDirectDrawSurface> target = Make(4, 3);
    PaintCoordinates(source.get());
    ASSERT_EQ(target->Blt(nullptr, source.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    for (DWORD y = 0; y < 3; ++y) {
        for (DWORD x = 0; x < 4; ++x) EXPECT_EQ(GetPixel(target.get(), x, y), Coordinate(2 * x, 2 * y));
    }
}

// Every destination pixel takes the source pixel at x * fromWidth / toWidth
// (rounded down), whatever the ratio and pixel size.
TEST_F(SurfaceBlt, StretchesAnyRatioToTheNearestSourcePixelBelow) {
    struct Sizes {
        DWORD fromWidth, fromHeight, toWidth, toHeight;
    };
    for (const Sizes sizes : {Sizes{3, 2, 7, 5}, Sizes{7, 5, 3, 2}, Sizes{13, 3, 250, 4}, Sizes{250, 4, 13, 3},
                              Sizes{97, 6, 101, 6}, Sizes{101, 6, 97, 6}, Sizes{1, 1, 9, 2}, Sizes{9, 2, 1, 1}}) {
        for (DWORD bits : {8u, 24u, 32u}) {
            Owned<IDirectDrawSurface> source = Make(sizes.fromWidth, sizes.fromHeight, bits);
            Owned<IDirectDrawSurface> target = Make(sizes.toWidth, sizes.toHeight, bits);
            PaintCoordinates(source.get());
            ASSERT_EQ(target->Blt(nullptr, source.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
            const DWORD mask = bits == 8 ? 0xFF : bits == 24 ? 0xFFFFFF : 0xFFFFFFFF;
            int wrong = 0;
            for (DWORD y = 0; y < sizes.toHeight; ++y)
                for (DWORD x = 0; x < sizes.toWidth; ++x)
                    wrong += GetPixel(target.get(), x, y) != (Coordinate(x * sizes.fromWidth / sizes.toWidth,
                                                                         y * sizes.fromHeight / sizes.toHeight) &
                                                              mask);
            EXPECT_EQ(wrong, 0) << sizes.fromWidth << "x" << sizes.fromHeight << " to " << sizes.toWidth << "x"
                                << sizes.toHeight << " at " << bits << " bits";
        }
    }
}

TEST_F(SurfaceBlt, CopiesBetweenOffsetRectangles) {
    Owned<IDirectDrawSurface> source = Make(8, 8, 16);
    Owned<IDirectDrawSurface> target = Make(16, 8, 16);
    PaintCoordinates(source.get());
    RECT from{2, 1, 5, 3};
    RECT to{10, 4, 13, 6};
    ASSERT_EQ(target->Blt(&to, source.get(), &from, DDBLT_WAIT, nullptr), DD_OK);
    for (DWORD y = 0; y < 8; ++y) {
        for (DWORD x = 0; x < 16; ++x) {
            const bool inside = x >= 10 && x < 13 && y >= 4 && y < 6;
            EXPECT_EQ(GetPixel(target.get(), x, y), inside ? Coordinate(x - 8, y - 3) : 0u) << x << "," << y;
        }
    }
}

TEST_F(SurfaceBlt, RefusesMismatchedFormats) {
    Owned<IDirectDrawSurface> source = Make(4, 4, 16);
    Owned<IDirectDrawSurface> target = Make(4, 4, 32);
    PaintCoordinates(source.get());
    EXPECT_EQ(target->Blt(nullptr, source.get(), nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDPIXELFORMAT);
    EXPECT_EQ(GetPixel(target.get(), 3, 3), 0u);
}

TEST_F(SurfaceBlt, RefusesRectanglesThatLeaveTheSurface) {
    Owned<IDirectDrawSurface> source = Make(4, 4);
    Owned<IDirectDrawSurface> target = Make(8, 8);
    PaintCoordinates(source.get());
    const RECT refused[] = {{6, 6, 10, 10}, {-2, 0, 2, 4}, {5, 1, 3, 4}, {1, 5, 4, 5}};
    for (RECT rect : refused) {
        EXPECT_EQ(target->Blt(&rect, source.get(), nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
        RECT inside{0, 0, 4, 4};
        EXPECT_EQ(target->Blt(&inside, source.get(), &rect, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
    }
    for (DWORD y = 0; y < 8; ++y) {
        for (DWORD x = 0; x < 8; ++x) EXPECT_EQ(GetPixel(target.get(), x, y), 0u);
    }
}

TEST_F(SurfaceBlt, RefusesWhileEitherSurfaceIsLocked) {
    Owned<IDirectDrawSurface> source = Make(4, 4);
    Owned<IDirectDrawSurface> target = Make(4, 4);
    for (IDirectDrawSurface *locked : {source.get(), target.get()}) {
        DDSURFACEDESC desc = {};
        desc.dwSize = sizeof(desc);
        ASSERT_EQ(locked->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
        EXPECT_EQ(target->Blt(nullptr, source.get(), nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACEBUSY);
        ASSERT_EQ(locked->Unlock(nullptr), DD_OK);
    }
    EXPECT_EQ(target->Blt(nullptr, source.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
}

TEST_F(SurfaceBlt, RefusesAMissingSourceAndUnsupportedFlags) {
    Owned<IDirectDrawSurface> source = Make(4, 4);
    Owned<IDirectDrawSurface> target = Make(4, 4);
    EXPECT_EQ(target->Blt(nullptr, nullptr, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(target->Blt(nullptr, source.get(), nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr), DDERR_UNSUPPORTED);
}

TEST_F(SurfaceBlt, OverlappingBlitOntoItselfReadsTheOldPixels) {
    Owned<IDirectDrawSurface> surface = Make(8, 4, 16);
    PaintCoordinates(surface.get());
    RECT from{0, 0, 6, 3};
    RECT to{2, 1, 8, 4};
    ASSERT_EQ(surface->Blt(&to, surface.get(), &from, DDBLT_WAIT, nullptr), DD_OK);
    for (DWORD y = 1; y < 4; ++y) {
        for (DWORD x = 2; x < 8; ++x) EXPECT_EQ(GetPixel(surface.get(), x, y), Coordinate(x - 2, y - 1));
    }
    EXPECT_EQ(GetPixel(surface.get(), 1, 3), Coordinate(1, 3));
}

TEST_F(SurfaceBlt, ColorFillWritesTheFillValue) {
    Owned<IDirectDrawSurface> surface = Make(5, 3, 24);
    DDBLTFX fx = {};
    fx.dwSize = sizeof(fx);
    fx.dwFillColor = 0x00ABCDEF;
    RECT rect{1, 1, 4, 2};
    ASSERT_EQ(surface->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    for (DWORD y = 0; y < 3; ++y) {
        for (DWORD x = 0; x < 5; ++x) {
            EXPECT_EQ(GetPixel(surface.get(), x, y), (y == 1 && x >= 1 && x < 4) ? 0xABCDEFu : 0u);
        }
    }
    fx.dwSize = 0;
    EXPECT_EQ(surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(SurfaceBlt, BltFastPlacesTheSourceUnscaled) {
    Owned<IDirectDrawSurface> source = Make(4, 4);
    Owned<IDirectDrawSurface> target = Make(8, 8);
    PaintCoordinates(source.get());
    RECT from{1, 1, 3, 3};
    ASSERT_EQ(target->BltFast(5, 6, source.get(), &from, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(GetPixel(target.get(), 5, 6), Coordinate(1, 1));
    EXPECT_EQ(GetPixel(target.get(), 6, 7), Coordinate(2, 2));
    EXPECT_EQ(target->BltFast(7, 7, source.get(), &from, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
}

TEST_F(SurfaceBlt, PrimaryShowsWhatWasBlittedIntoTheScreen) {
    Owned<IDirectDrawSurface> primary = MakePrimary(dd_.get());
    ASSERT_TRUE(primary);
    Owned<IDirectDrawSurface> frame = Make(4, 3);
    PaintCoordinates(frame.get());
    RECT to{100, 50, 108, 56};
    ASSERT_EQ(primary->Blt(&to, frame.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);

    // Read back through a second primary of another DirectDraw object.
    Owned<IDirectDraw> other = OpenDirectDraw();
    Owned<IDirectDrawSurface> view = MakePrimary(other.get());
    ASSERT_TRUE(view);
    for (DWORD y = 50; y < 56; ++y) {
        for (DWORD x = 100; x < 108; ++x) {
            EXPECT_EQ(GetPixel(view.get(), x, y), Coordinate((x - 100) / 2, (y - 50) / 2));
        }
    }
    EXPECT_EQ(GetPixel(view.get(), 99, 50), 0u);
    EXPECT_EQ(GetPixel(view.get(), 108, 55), 0u);

    // Screen to screen through two views of the same memory.
    RECT from{100, 50, 108, 56};
    RECT copy{104, 52, 112, 58};
    ASSERT_EQ(view->Blt(&copy, primary.get(), &from, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(GetPixel(view.get(), 111, 57), Coordinate(3, 2));
}

// A decoding thread locks and writes the frame while the host blits it:
// each blit either happens whole or is refused as busy.
TEST_F(SurfaceBlt, BlitsAndLocksFromTwoThreads) {
    Owned<IDirectDrawSurface> frame = Make(16, 16);
    Owned<IDirectDrawSurface> target = Make(32, 32);
    std::atomic<bool> stop{false};
    std::thread decoder([&] {
        for (DWORD round = 0; !stop; ++round) {
            DDSURFACEDESC desc = {};
            desc.dwSize = sizeof(desc);
            if (frame->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) continue;
            auto *row = static_cast<DWORD *>(desc.lpSurface);
            for (DWORD i = 0; i < 16; ++i) row[i] = round;
            frame->Unlock(nullptr);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        const HRESULT hr = target->Blt(nullptr, frame.get(), nullptr, DDBLT_WAIT, nullptr);
        EXPECT_TRUE(hr == DD_OK || hr == DDERR_SURFACEBUSY) << std::hex << hr;
    }
    stop = true;
    decoder.join();
    ASSERT_EQ(target->Blt(nullptr, frame.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(GetPixel(target.get(), 31, 1), GetPixel(frame.get(), 15, 0));
}

// Frames of several megabytes take another copy loop than small ones: every
// byte arrives whatever the alignment of the rows and their length, and
// nothing beside the rectangle changes.
TEST_F(SurfaceBlt, LargeCopiesArriveExactlyAtAnyAlignment) {
    constexpr DWORD kWidth = 1031, kHeight = 700;  // 2.8 MB at 32 bits
    for (DWORD bits : {24u, 32u}) {
        const DWORD bytes = bits / 8;
        Owned<IDirectDrawSurface> source = Make(kWidth, kHeight, bits);
        Owned<IDirectDrawSurface> target = Make(kWidth + 3, kHeight + 1, bits);
        auto pattern = [](DWORD x, DWORD y) { return static_cast<BYTE>(x * 7 + y * 13 + x / 256); };
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        ASSERT_EQ(source->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
        for (DWORD y = 0; y < kHeight; ++y) {
            BYTE *row = static_cast<BYTE *>(desc.lpSurface) + static_cast<size_t>(y) * desc.lPitch;
            for (DWORD x = 0; x < kWidth * bytes; ++x) row[x] = pattern(x, y);
        }
        source->Unlock(nullptr);

        RECT to{3, 1, 3 + kWidth, 1 + kHeight};  // rows start 12 or 9 bytes into the line
        ASSERT_EQ(target->Blt(&to, source.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
        ASSERT_EQ(target->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
        size_t wrong = 0;
        for (DWORD y = 0; y < kHeight + 1; ++y) {
            const BYTE *row = static_cast<BYTE *>(desc.lpSurface) + static_cast<size_t>(y) * desc.lPitch;
            for (DWORD x = 0; x < (kWidth + 3) * bytes; ++x) {
                const bool inside = y >= 1 && x >= 3 * bytes;
                if (row[x] != (inside ? pattern(x - 3 * bytes, y - 1) : 0)) ++wrong;
            }
        }
        target->Unlock(nullptr);
        EXPECT_EQ(wrong, 0u) << bits << " bits";
    }
}
