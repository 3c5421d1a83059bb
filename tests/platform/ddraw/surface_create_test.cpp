// CreateSurface on a 640x480x32 screen: sizes, pitches, formats, refusals.
#include <gtest/gtest.h>

#include <tuple>

#include "ddraw_test_support.h"

using namespace ddtest;

namespace {

class SurfaceCreate : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dd_ = OpenDirectDraw()); }

    HRESULT Create(DDSURFACEDESC desc) {
        IDirectDrawSurface *surface = reinterpret_cast<IDirectDrawSurface *>(0x1);
        const HRESULT hr = dd_->CreateSurface(&desc, &surface, nullptr);
        if (hr == DD_OK) {
            surface->Release();
        } else {
            EXPECT_EQ(surface, nullptr);
        }
        return hr;
    }

    static DDSURFACEDESC Offscreen(DWORD width, DWORD height) {
        DDSURFACEDESC desc = SurfaceDesc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN);
        desc.dwWidth = width;
        desc.dwHeight = height;
        return desc;
    }

    static DDSURFACEDESC WithFormat(DDPIXELFORMAT format) {
        DDSURFACEDESC desc = Offscreen(8, 8);
        desc.dwFlags |= DDSD_PIXELFORMAT;
        desc.ddpfPixelFormat = format;
        return desc;
    }

    Owned<IDirectDraw> dd_;
};

DDSURFACEDESC Describe(IDirectDrawSurface *surface) {
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(surface->GetSurfaceDesc(&desc), DD_OK);
    return desc;
}

}  // namespace

class SurfacePitch : public ::testing::TestWithParam<std::tuple<DWORD, DWORD, LONG>> {};

TEST_P(SurfacePitch, RoundsRowsUpToEightBytes) {
    const auto [bits, width, pitch] = GetParam();
    Owned<IDirectDraw> dd = OpenDirectDraw();
    ASSERT_TRUE(dd);
    Owned<IDirectDrawSurface> surface = MakeOffscreen(dd.get(), width, 3, bits);
    ASSERT_TRUE(surface);
    const DDSURFACEDESC desc = Describe(surface.get());
    EXPECT_EQ(desc.dwWidth, width);
    EXPECT_EQ(desc.lPitch, pitch);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, bits);
}

INSTANTIATE_TEST_SUITE_P(OddWidths, SurfacePitch,
                         ::testing::Values(std::make_tuple(8u, 321u, 328), std::make_tuple(16u, 321u, 648),
                                           std::make_tuple(24u, 321u, 968), std::make_tuple(32u, 321u, 1288),
                                           std::make_tuple(8u, 1u, 8), std::make_tuple(24u, 8u, 24),
                                           std::make_tuple(16u, 5u, 16)));

TEST_F(SurfaceCreate, TakesTheScreenFormatWithoutAPixelFormat) {
    Owned<IDirectDrawSurface> surface = MakeOffscreen(dd_.get(), 3, 2, 0);
    ASSERT_TRUE(surface);
    const DDSURFACEDESC desc = Describe(surface.get());
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0xFF0000u);
    EXPECT_EQ(desc.lPitch, 16);
    EXPECT_EQ(desc.ddsCaps.dwCaps, DWORD{DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY});
}

TEST_F(SurfaceCreate, GrantsVideoMemoryAsSystemMemory) {
    DDSURFACEDESC desc = Offscreen(4, 4);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
    IDirectDrawSurface *surface = nullptr;
    ASSERT_EQ(dd_->CreateSurface(&desc, &surface, nullptr), DD_OK);
    DDSCAPS caps = {};
    EXPECT_EQ(surface->GetCaps(&caps), DD_OK);
    EXPECT_EQ(caps.dwCaps, DWORD{DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY});
    surface->Release();
}

TEST_F(SurfaceCreate, AcceptsPaletteIndexedWithoutTheRgbFlag) {
    DDPIXELFORMAT format = RgbFormat(8);
    format.dwFlags = DDPF_PALETTEINDEXED8;
    IDirectDrawSurface *surface = nullptr;
    DDSURFACEDESC desc = WithFormat(format);
    ASSERT_EQ(dd_->CreateSurface(&desc, &surface, nullptr), DD_OK);
    DDPIXELFORMAT reported = {};
    EXPECT_EQ(surface->GetPixelFormat(&reported), DD_OK);
    EXPECT_EQ(reported.dwFlags, DWORD{DDPF_RGB | DDPF_PALETTEINDEXED8});
    EXPECT_EQ(reported.dwRGBBitCount, 8u);
    surface->Release();
}

TEST_F(SurfaceCreate, RefusesMalformedDescriptions) {
    DDSURFACEDESC desc = Offscreen(8, 8);
    desc.dwSize = sizeof(desc) + 4;
    EXPECT_EQ(Create(desc), DDERR_INVALIDPARAMS);
    desc = Offscreen(8, 8);
    desc.dwFlags &= ~DDSD_CAPS;
    EXPECT_EQ(Create(desc), DDERR_INVALIDPARAMS);
    desc = Offscreen(8, 8);
    desc.dwFlags &= ~DDSD_HEIGHT;
    EXPECT_EQ(Create(desc), DDERR_INVALIDPARAMS);
    EXPECT_EQ(Create(Offscreen(0, 8)), DDERR_INVALIDPARAMS);
    EXPECT_EQ(Create(Offscreen(8, 0)), DDERR_INVALIDPARAMS);

    IDirectDrawSurface *surface = nullptr;
    desc = Offscreen(8, 8);
    EXPECT_EQ(dd_->CreateSurface(nullptr, &surface, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd_->CreateSurface(&desc, nullptr, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd_->CreateSurface(&desc, &surface, dd_.get()), CLASS_E_NOAGGREGATION);
}

TEST_F(SurfaceCreate, RefusesCapsItCannotHonour) {
    DDSURFACEDESC desc = Offscreen(8, 8);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    EXPECT_EQ(Create(desc), DDERR_INVALIDCAPS);
    desc.ddsCaps.dwCaps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY;
    EXPECT_EQ(Create(desc), DDERR_INVALIDCAPS);
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_OFFSCREENPLAIN;
    EXPECT_EQ(Create(desc), DDERR_INVALIDCAPS);
    // A primary surface has the screen's size.
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    EXPECT_EQ(Create(desc), DDERR_INVALIDPARAMS);
}

TEST_F(SurfaceCreate, RefusesFormatsItCannotHold) {
    DDPIXELFORMAT format = RgbFormat(16);
    format.dwRBitMask = 0x7C00;  // 555
    format.dwGBitMask = 0x03E0;
    EXPECT_EQ(Create(WithFormat(format)), DDERR_INVALIDPIXELFORMAT);
    format = RgbFormat(32);
    format.dwRGBBitCount = 15;
    EXPECT_EQ(Create(WithFormat(format)), DDERR_INVALIDPIXELFORMAT);
    format = RgbFormat(32);
    format.dwRBitMask = 0x0000FF;  // BGR
    format.dwBBitMask = 0xFF0000;
    EXPECT_EQ(Create(WithFormat(format)), DDERR_INVALIDPIXELFORMAT);
    format = RgbFormat(32);
    format.dwFlags |= DDPF_ALPHAPIXELS;
    EXPECT_EQ(Create(WithFormat(format)), DDERR_INVALIDPIXELFORMAT);
    format = RgbFormat(16);
    format.dwFlags = DDPF_FOURCC;
    EXPECT_EQ(Create(WithFormat(format)), DDERR_INVALIDPIXELFORMAT);
    format = RgbFormat(8);
    format.dwRGBBitCount = 4;
    EXPECT_EQ(Create(WithFormat(format)), DDERR_INVALIDPIXELFORMAT);
}

// Alpha on 32 bits and 4-bit palettes: made, described, locked and given a
// palette; 4-bit pixels are not blitted or filled.
TEST_F(SurfaceCreate, MakesArgbAndFourBitPalettizedSurfaces) {
    DDPIXELFORMAT argb = RgbFormat(32);
    argb.dwFlags |= DDPF_ALPHAPIXELS;
    argb.dwRGBAlphaBitMask = 0xFF000000;
    DDPIXELFORMAT nibbles = RgbFormat(8);
    nibbles.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED4;
    nibbles.dwRGBBitCount = 4;
    const struct {
        DDPIXELFORMAT format;
        LONG pitch;      // of 9 pixels
        ptrdiff_t from;  // where a lock from (2, 1) starts
        HRESULT blt;
    } cases[] = {{argb, 40, 40 + 2 * 4, DD_OK}, {nibbles, 8, 8 + 1, DDERR_UNSUPPORTED}};
    for (const auto &c : cases) {
        DDSURFACEDESC desc = WithFormat(c.format);
        desc.dwWidth = 9;
        IDirectDrawSurface *made[2] = {};
        ASSERT_EQ(dd_->CreateSurface(&desc, &made[0], nullptr), DD_OK) << c.format.dwRGBBitCount;
        ASSERT_EQ(dd_->CreateSurface(&desc, &made[1], nullptr), DD_OK);
        const DDSURFACEDESC described = Describe(made[0]);
        EXPECT_EQ(described.ddpfPixelFormat.dwFlags, c.format.dwFlags);
        EXPECT_EQ(described.ddpfPixelFormat.dwRGBBitCount, c.format.dwRGBBitCount);
        EXPECT_EQ(described.ddpfPixelFormat.dwRGBAlphaBitMask, c.format.dwRGBAlphaBitMask);
        EXPECT_EQ(described.lPitch, c.pitch);
        DDSURFACEDESC whole = {}, part = {};
        whole.dwSize = part.dwSize = sizeof(DDSURFACEDESC);
        ASSERT_EQ(made[0]->Lock(nullptr, &whole, DDLOCK_WAIT, nullptr), DD_OK);
        made[0]->Unlock(nullptr);
        RECT right = {2, 1, 9, 8};
        ASSERT_EQ(made[0]->Lock(&right, &part, DDLOCK_WAIT, nullptr), DD_OK);
        EXPECT_EQ(static_cast<BYTE *>(part.lpSurface) - static_cast<BYTE *>(whole.lpSurface), c.from);
        made[0]->Unlock(nullptr);
        EXPECT_EQ(made[1]->Blt(nullptr, made[0], nullptr, DDBLT_WAIT, nullptr), c.blt);
        DDBLTFX fill = {};
        fill.dwSize = sizeof(fill);
        EXPECT_EQ(made[1]->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill), c.blt);
        IDirectDrawPalette *palette = nullptr;
        PALETTEENTRY entries[256] = {};
        ASSERT_EQ(dd_->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr), DD_OK);
        EXPECT_EQ(made[0]->SetPalette(palette), c.format.dwRGBBitCount == 4 ? DD_OK : DDERR_NOTPALETTIZED);
        palette->Release();
        made[0]->Release();
        made[1]->Release();
    }
    // Alpha and no alpha do not blit into each other.
    Owned<IDirectDrawSurface> plain = MakeOffscreen(dd_.get(), 8, 8, 32);
    DDSURFACEDESC desc = WithFormat(argb);
    IDirectDrawSurface *withAlpha = nullptr;
    ASSERT_EQ(dd_->CreateSurface(&desc, &withAlpha, nullptr), DD_OK);
    EXPECT_EQ(plain->Blt(nullptr, withAlpha, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDPIXELFORMAT);
    withAlpha->Release();
}

TEST_F(SurfaceCreate, RefusesSizesThatDoNotFit) {
    EXPECT_EQ(Create(Offscreen(0xFFFFFFFFu, 2)), DDERR_INVALIDPARAMS);
    EXPECT_EQ(Create(Offscreen(2, 0x80000000u)), DDERR_INVALIDPARAMS);
    EXPECT_EQ(Create(Offscreen(65536, 65536)), DDERR_OUTOFMEMORY);
}

TEST_F(SurfaceCreate, PrimarySurfacesViewTheScreen) {
    Owned<IDirectDrawSurface> first = MakePrimary(dd_.get());
    Owned<IDirectDrawSurface> second = MakePrimary(dd_.get());
    ASSERT_TRUE(first && second);
    const DDSURFACEDESC desc = Describe(first.get());
    EXPECT_EQ(desc.dwWidth, 640u);
    EXPECT_EQ(desc.dwHeight, 480u);
    EXPECT_EQ(desc.lPitch, 2560);
    EXPECT_TRUE(desc.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE);

    EXPECT_EQ(GetPixel(first.get(), 639, 479), 0u);  // the screen starts black
    PutPixel(first.get(), 639, 479, 0xABCDEF);
    EXPECT_EQ(GetPixel(second.get(), 639, 479), 0xABCDEFu);
}
