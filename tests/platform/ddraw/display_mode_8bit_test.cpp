// DirectDraw on a palettized 321x200x8 screen (an odd width, so the screen
// rows are padded too).
#include <gtest/gtest.h>

#include "ddraw_test_support.h"

using namespace ddtest;

TEST(DirectDrawDisplayMode, DescribesAPalettizedScreen) {
    Owned<IDirectDraw> dd = OpenDirectDraw();
    ASSERT_TRUE(dd);
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(dd->GetDisplayMode(&desc), DD_OK);
    EXPECT_EQ(desc.dwWidth, 321u);
    EXPECT_EQ(desc.dwHeight, 200u);
    EXPECT_EQ(desc.lPitch, 328);
    EXPECT_EQ(desc.ddpfPixelFormat.dwFlags, DWORD{DDPF_RGB | DDPF_PALETTEINDEXED8});
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 8u);
}

TEST(DirectDrawSurfaces, FollowThePalettizedScreen) {
    Owned<IDirectDraw> dd = OpenDirectDraw();
    ASSERT_TRUE(dd);
    Owned<IDirectDrawSurface> primary = MakePrimary(dd.get());
    Owned<IDirectDrawSurface> frame = MakeOffscreen(dd.get(), 7, 5, 0);
    ASSERT_TRUE(primary && frame);

    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(primary->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(desc.lPitch, 328);
    EXPECT_EQ(desc.ddpfPixelFormat.dwFlags, DWORD{DDPF_RGB | DDPF_PALETTEINDEXED8});
    ASSERT_EQ(primary->Unlock(nullptr), DD_OK);

    ASSERT_EQ(frame->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 8u);
    EXPECT_EQ(desc.lPitch, 8);

    PaintCoordinates(frame.get());
    RECT corner{314, 195, 321, 200};
    ASSERT_EQ(primary->Blt(&corner, frame.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(GetPixel(primary.get(), 320, 199), 6u);
}
