// The DirectDraw object on a 640x480x32 screen.
#include <gtest/gtest.h>

#include "ddraw_test_support.h"

using namespace ddtest;

TEST(DirectDrawCreate, RefusesBadArguments) {
    IDirectDraw *dd = reinterpret_cast<IDirectDraw *>(0x1);
    EXPECT_EQ(DirectDrawCreate(nullptr, nullptr, nullptr), DDERR_INVALIDPARAMS);

    Owned<IDirectDraw> outer = OpenDirectDraw();
    ASSERT_TRUE(outer);
    EXPECT_EQ(DirectDrawCreate(nullptr, &dd, outer.get()), CLASS_E_NOAGGREGATION);

    GUID unknown = IID_IDirectDrawClipper;
    EXPECT_EQ(DirectDrawCreate(&unknown, &dd, nullptr), DDERR_INVALIDDIRECTDRAWGUID);
    EXPECT_EQ(dd, nullptr);
}

TEST(DirectDrawCreate, MakesANewObjectEachTime) {
    IDirectDraw *first = nullptr;
    IDirectDraw *second = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
    ASSERT_EQ(DirectDrawCreate(reinterpret_cast<GUID *>(DDCREATE_EMULATIONONLY), &second, nullptr), DD_OK);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->Release(), 0u);
    EXPECT_EQ(second->Release(), 0u);
}

TEST(DirectDrawObject, AnswersItsOwnInterfacesOnly) {
    Owned<IDirectDraw> dd = OpenDirectDraw();
    ASSERT_TRUE(dd);
    void *out = nullptr;
    ASSERT_EQ(dd->QueryInterface(IID_IUnknown, &out), S_OK);
    EXPECT_EQ(out, static_cast<IUnknown *>(dd.get()));
    EXPECT_EQ(RefCount(dd.get()), 2u);
    dd->Release();
    ASSERT_EQ(dd->QueryInterface(IID_IDirectDraw, &out), S_OK);
    EXPECT_EQ(out, dd.get());
    dd->Release();

    out = &out;
    EXPECT_EQ(dd->QueryInterface(IID_IDirectDrawSurface, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(RefCount(dd.get()), 1u);
}

TEST(DirectDrawDisplayMode, DescribesA32BitScreen) {
    Owned<IDirectDraw> dd = OpenDirectDraw();
    ASSERT_TRUE(dd);
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(dd->GetDisplayMode(&desc), DD_OK);
    EXPECT_EQ(desc.dwSize, sizeof(desc));
    EXPECT_EQ(desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT),
              DWORD{DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT});
    EXPECT_EQ(desc.dwWidth, 640u);
    EXPECT_EQ(desc.dwHeight, 480u);
    EXPECT_EQ(desc.lPitch, 2560);
    EXPECT_EQ(desc.ddpfPixelFormat.dwFlags, DWORD{DDPF_RGB});
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0xFF0000u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwGBitMask, 0x00FF00u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwBBitMask, 0x0000FFu);

    desc.dwSize = sizeof(desc) - 4;
    EXPECT_EQ(dd->GetDisplayMode(&desc), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->GetDisplayMode(nullptr), DDERR_INVALIDPARAMS);
}

// Hosts compare the DirectDraw object's count, so its surfaces and palettes
// must not hold it; they keep the screen instead.
TEST(DirectDrawReferences, SurfacesAndPalettesDoNotHoldTheObject) {
    IDirectDraw *dd = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    Owned<IDirectDrawSurface> primary = MakePrimary(dd);
    Owned<IDirectDrawSurface> offscreen = MakeOffscreen(dd, 4, 4, 0);
    PALETTEENTRY table[256] = {};
    IDirectDrawPalette *palette = nullptr;
    ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, table, &palette, nullptr), DD_OK);
    ASSERT_TRUE(primary && offscreen);
    EXPECT_EQ(RefCount(dd), 1u);
    EXPECT_EQ(dd->Release(), 0u);

    PutPixel(offscreen.get(), 1, 1, 0x123456);
    RECT at{10, 10, 14, 14};
    EXPECT_EQ(primary->Blt(&at, offscreen.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(GetPixel(primary.get(), 11, 11), 0x123456u);
    EXPECT_EQ(palette->Release(), 0u);
}
