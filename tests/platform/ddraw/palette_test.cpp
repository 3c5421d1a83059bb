// DirectDraw palettes and their attachment to surfaces.
#include <gtest/gtest.h>

#include "ddraw_test_support.h"

using namespace ddtest;

namespace {

class PaletteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dd_ = OpenDirectDraw());
        for (int i = 0; i < 256; ++i) table_[i] = PALETTEENTRY{BYTE(i), BYTE(i ^ 0x55), BYTE(255 - i), 0};
    }

    Owned<IDirectDrawPalette> Make(DWORD flags = DDPCAPS_8BIT) {
        IDirectDrawPalette *palette = nullptr;
        EXPECT_EQ(dd_->CreatePalette(flags, table_, &palette, nullptr), DD_OK);
        return Owned<IDirectDrawPalette>(palette);
    }

    Owned<IDirectDraw> dd_;
    PALETTEENTRY table_[256];
};

bool Same(const PALETTEENTRY &a, const PALETTEENTRY &b) {
    return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue && a.peFlags == b.peFlags;
}

}  // namespace

TEST_F(PaletteTest, CreateRefusesWhatItCannotMake) {
    IDirectDrawPalette *palette = nullptr;
    EXPECT_EQ(dd_->CreatePalette(DDPCAPS_8BIT, nullptr, &palette, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd_->CreatePalette(DDPCAPS_8BIT, table_, nullptr, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd_->CreatePalette(DDPCAPS_ALLOW256, table_, &palette, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd_->CreatePalette(DDPCAPS_4BIT, table_, &palette, nullptr), DDERR_UNSUPPORTED);
    EXPECT_EQ(dd_->CreatePalette(DDPCAPS_8BIT, table_, &palette, dd_.get()), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(palette, nullptr);
}

TEST_F(PaletteTest, CapsReportEightBits) {
    DWORD caps = 0;
    ASSERT_EQ(Make()->GetCaps(&caps), DD_OK);
    EXPECT_EQ(caps, DWORD{DDPCAPS_8BIT});
    ASSERT_EQ(Make(DDPCAPS_8BIT | DDPCAPS_ALLOW256)->GetCaps(&caps), DD_OK);
    EXPECT_EQ(caps, DWORD{DDPCAPS_8BIT | DDPCAPS_ALLOW256});
}

TEST_F(PaletteTest, EntriesAreACopyOfTheTable) {
    Owned<IDirectDrawPalette> palette = Make();
    table_[7].peRed = 0;  // the palette copied the table when it was made
    PALETTEENTRY entries[256] = {};
    ASSERT_EQ(palette->GetEntries(0, 0, 256, entries), DD_OK);
    EXPECT_EQ(entries[7].peRed, 7);
    for (int i = 8; i < 256; ++i) EXPECT_TRUE(Same(entries[i], table_[i])) << i;

    PALETTEENTRY tail[6] = {};
    ASSERT_EQ(palette->GetEntries(0, 250, 6, tail), DD_OK);
    EXPECT_TRUE(Same(tail[5], table_[255]));
}

TEST_F(PaletteTest, RefusesRangesPastTheEnd) {
    Owned<IDirectDrawPalette> palette = Make();
    PALETTEENTRY entries[256] = {};
    EXPECT_EQ(palette->GetEntries(0, 250, 7, entries), DDERR_INVALIDPARAMS);
    EXPECT_EQ(palette->GetEntries(0, 0xFFFFFFFFu, 2, entries), DDERR_INVALIDPARAMS);
    EXPECT_EQ(palette->GetEntries(0, 0, 1, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(palette->SetEntries(0, 200, 57, entries), DDERR_INVALIDPARAMS);
}

TEST_F(PaletteTest, SetEntriesChangesOnlyTheRange) {
    Owned<IDirectDrawPalette> palette = Make();
    PALETTEENTRY red[2] = {{255, 0, 0, 0}, {254, 1, 1, 0}};
    ASSERT_EQ(palette->SetEntries(0, 254, 2, red), DD_OK);
    PALETTEENTRY entries[256] = {};
    ASSERT_EQ(palette->GetEntries(0, 0, 256, entries), DD_OK);
    EXPECT_TRUE(Same(entries[253], table_[253]));
    EXPECT_TRUE(Same(entries[254], red[0]));
    EXPECT_TRUE(Same(entries[255], red[1]));
}

TEST_F(PaletteTest, SurfaceHoldsAReferenceOnItsPalette) {
    Owned<IDirectDrawPalette> palette = Make();
    Owned<IDirectDrawSurface> surface = MakeOffscreen(dd_.get(), 8, 8, 8);
    ASSERT_TRUE(surface);

    IDirectDrawPalette *attached = reinterpret_cast<IDirectDrawPalette *>(0x1);
    EXPECT_EQ(surface->GetPalette(&attached), DDERR_NOPALETTEATTACHED);
    EXPECT_EQ(attached, nullptr);

    ASSERT_EQ(surface->SetPalette(palette.get()), DD_OK);
    EXPECT_EQ(RefCount(palette.get()), 2u);
    ASSERT_EQ(surface->GetPalette(&attached), DD_OK);
    EXPECT_EQ(attached, palette.get());
    EXPECT_EQ(attached->Release(), 2u);

    ASSERT_EQ(surface->SetPalette(palette.get()), DD_OK);  // attaching again holds one reference
    EXPECT_EQ(RefCount(palette.get()), 2u);
    ASSERT_EQ(surface->SetPalette(nullptr), DD_OK);
    EXPECT_EQ(RefCount(palette.get()), 1u);

    ASSERT_EQ(surface->SetPalette(palette.get()), DD_OK);
    surface.reset();
    EXPECT_EQ(RefCount(palette.get()), 1u);
}

TEST_F(PaletteTest, OnlyPalettizedSurfacesTakeAPalette) {
    Owned<IDirectDrawPalette> palette = Make();
    Owned<IDirectDrawSurface> surface = MakeOffscreen(dd_.get(), 8, 8, 32);
    ASSERT_TRUE(surface);
    EXPECT_EQ(surface->SetPalette(palette.get()), DDERR_NOTPALETTIZED);
    EXPECT_EQ(RefCount(palette.get()), 1u);
}
