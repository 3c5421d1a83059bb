// Translation tables against the system palette of an 8-bit screen, and
// remapping 8-bit surfaces through them. Runs with VIDSURF_DISPLAY=640x480x8.
#include <cstring>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/fake_direct_draw.h"
#include "gdi_palette_room.h"
#include "present/log_palette.h"
#include "present/surface_lookup.h"
#include "present/translation_table.h"

namespace {

using testing::ElementsAre;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

// The twenty static colours and where an 8-bit screen keeps them.
struct StaticColour {
    int systemIndex;
    BYTE red, green, blue;
};
constexpr StaticColour kStatic[] = {
    {0, 0, 0, 0},         {1, 128, 0, 0},       {2, 0, 128, 0},     {3, 128, 128, 0},   {4, 0, 0, 128},
    {5, 128, 0, 128},     {6, 0, 128, 128},     {7, 192, 192, 192}, {8, 192, 220, 192}, {9, 166, 202, 240},
    {246, 255, 251, 240}, {247, 160, 160, 164}, {248, 128, 128, 128}, {249, 255, 0, 0}, {250, 0, 255, 0},
    {251, 255, 255, 0},   {252, 0, 0, 255},     {253, 255, 0, 255}, {254, 0, 255, 255}, {255, 255, 255, 255},
};

class LibraryTranslationTable : public testing::Test {
protected:
    LibraryTranslationTable() {
        std::memset(&stream, 0, sizeof stream);
        stream.palVersion = 0x300;
        stream.palNumEntries = 256;
        screen = GetDC(nullptr);
    }
    ~LibraryTranslationTable() override { ReleaseDC(nullptr, screen); }

    void set(int index, BYTE red, BYTE green, BYTE blue, BYTE flags = 0) {
        stream.palPalEntry[index] = {red, green, blue, flags};
    }
    TranslationTable build() {
        TranslationTable table;
        std::memset(&table, 0xCD, sizeof table);
        buildTranslationTable(screen, asLogPalette(&stream), &table);
        return table;
    }

    LogPalette256 stream;
    HDC screen = nullptr;
};

TEST_F(LibraryTranslationTable, MapsToTheNearestSystemColourByRgbAlone) {
    for (int k = 0; k < 20; ++k) set(30 + k, kStatic[k].red, kStatic[k].green, kStatic[k].blue, PC_NOCOLLAPSE);
    set(5, 255, 0, 0, 0xFF);       // flags are not part of the colour
    set(6, 250, 10, 5, PC_RESERVED);
    set(7, 100, 100, 100);
    set(8, 1, 1, 1);

    const TranslationTable table = build();

    for (int k = 0; k < 20; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(table.index[30 + k], kStatic[k].systemIndex);
    }
    EXPECT_EQ(table.index[5], 249);
    EXPECT_EQ(table.index[6], 249);
    EXPECT_EQ(table.index[7], 248);
    EXPECT_EQ(table.index[8], 0);
    // Untouched stream entries are black: the lowest black system entry.
    EXPECT_EQ(table.index[0], 0);
    EXPECT_EQ(table.index[255], 0);
}

TEST_F(LibraryTranslationTable, FollowsTheSystemPaletteOfTheMoment) {
    set(42, 10, 200, 30);
    ASSERT_NE(build().index[42], 10);

    LogPalette256 own;
    std::memset(&own, 0, sizeof own);
    own.palVersion = 0x300;
    own.palNumEntries = 1;
    own.palPalEntry[0] = {10, 200, 30, 0};
    const HPALETTE palette = CreatePalette(asLogPalette(&own));
    const HPALETTE previous = SelectPalette(screen, palette, FALSE);
    RealizePalette(screen);

    PALETTEENTRY system[256];
    ASSERT_EQ(GetSystemPaletteEntries(screen, 0, 256, system), 256u);
    int held = -1;
    for (int i = 0; i < 256 && held < 0; ++i)
        if (system[i].peRed == 10 && system[i].peGreen == 200 && system[i].peBlue == 30) held = i;
    ASSERT_GE(held, 0);
    EXPECT_EQ(build().index[42], held);

    SelectPalette(screen, previous, FALSE);
    DeleteObject(palette);
}

TEST_F(LibraryTranslationTable, DeletesItsTemporaryPalette) {
    set(42, 255, 0, 0);
    GdiPaletteRoom room;
    ASSERT_TRUE(room.fill());
    room.leave(1);

    // Each build needs the one free palette; a leaked one leaves none.
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const TranslationTable table = build();
        EXPECT_EQ(table.index[42], 249);
        EXPECT_EQ(table.index[0], 0);
    }
}

TEST_F(LibraryTranslationTable, WithoutATemporaryPaletteEveryEntryIs255) {
    set(42, 255, 0, 0);
    GdiPaletteRoom room;
    ASSERT_TRUE(room.fill());

    // GetNearestPaletteIndex answers CLR_INVALID, whose low eight bits are 255.
    const TranslationTable table = build();
    EXPECT_THAT(table.index, testing::Each(255));
}

// A surface whose rows are padded: 13 pixels in a 16-byte pitch.
class LibrarySurfaceLookup : public testing::Test {
protected:
    static constexpr DWORD kWidth = 13;
    static constexpr DWORD kHeight = 5;
    static constexpr BYTE kPadding = 0xAB;

    LibrarySurfaceLookup() {
        DirectDrawCreate(nullptr, &directDraw, nullptr);
        DDSURFACEDESC desc;
        std::memset(&desc, 0, sizeof desc);
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = kWidth;
        desc.dwHeight = kHeight;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        if (directDraw != nullptr) directDraw->CreateSurface(&desc, &surface, nullptr);
    }
    ~LibrarySurfaceLookup() override {
        if (surface != nullptr) surface->Release();
        if (directDraw != nullptr) directDraw->Release();
    }

    void SetUp() override {
        ASSERT_NE(surface, nullptr);
        DDSURFACEDESC desc = lock();
        ASSERT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 8u);
        ASSERT_GT(desc.lPitch, static_cast<LONG>(kWidth));
        pitch = desc.lPitch;
        auto *bytes = static_cast<BYTE *>(desc.lpSurface);
        for (DWORD y = 0; y < kHeight; ++y)
            for (LONG x = 0; x < pitch; ++x)
                bytes[y * pitch + x] = x < static_cast<LONG>(kWidth) ? BYTE(y * 40 + x) : kPadding;
        surface->Unlock(nullptr);
        before = contents();
    }

    DDSURFACEDESC lock() {
        DDSURFACEDESC desc;
        std::memset(&desc, 0, sizeof desc);
        desc.dwSize = sizeof desc;
        EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
        return desc;
    }
    std::vector<BYTE> contents() {
        DDSURFACEDESC desc = lock();
        const auto *bytes = static_cast<const BYTE *>(desc.lpSurface);
        std::vector<BYTE> copy(bytes, bytes + pitch * kHeight);
        surface->Unlock(nullptr);
        return copy;
    }

    IDirectDraw *directDraw = nullptr;
    IDirectDrawSurface *surface = nullptr;
    LONG pitch = 0;
    std::vector<BYTE> before;
};

TEST_F(LibrarySurfaceLookup, RemapsEveryPixelAndLeavesThePaddingAlone) {
    TranslationTable table;
    for (int i = 0; i < 256; ++i) table.index[i] = BYTE(255 - i);

    ddSurfaceLookup(surface, &table);

    const std::vector<BYTE> after = contents();
    for (DWORD y = 0; y < kHeight; ++y) {
        for (LONG x = 0; x < pitch; ++x) {
            const size_t at = y * pitch + x;
            SCOPED_TRACE(at);
            EXPECT_EQ(after[at], x < static_cast<LONG>(kWidth) ? BYTE(255 - before[at]) : kPadding);
        }
    }
    // Unlocked again: another lock succeeds.
    DDSURFACEDESC desc = lock();
    surface->Unlock(nullptr);
    (void)desc;
}

TEST_F(LibrarySurfaceLookup, IdentityTableChangesNothing) {
    TranslationTable table;
    for (int i = 0; i < 256; ++i) table.index[i] = BYTE(i);
    ddSurfaceLookup(surface, &table);
    EXPECT_EQ(contents(), before);
}

TEST_F(LibrarySurfaceLookup, ZeroTableClearsTheWidthOnly) {
    TranslationTable table;
    std::memset(&table, 0, sizeof table);
    ddSurfaceLookup(surface, &table);
    const std::vector<BYTE> after = contents();
    for (DWORD y = 0; y < kHeight; ++y)
        for (LONG x = 0; x < pitch; ++x)
            EXPECT_EQ(after[y * pitch + x], x < static_cast<LONG>(kWidth) ? 0 : kPadding);
}

TEST(LibrarySurfaceLookupCalls, LocksWholeWaitingAndUnlocksWithNull) {
    fakes::CallLog log;
    fakes::FakeSurface surface(&log, "surface", 3, 2, 8);
    TranslationTable table;
    std::memset(&table, 7, sizeof table);

    ddSurfaceLookup(&surface, &table);

    EXPECT_THAT(log.calls, ElementsAre("surface.Lock", "surface.Unlock"));
    ASSERT_EQ(surface.locks.size(), 1u);
    EXPECT_FALSE(surface.locks[0].rect);
    EXPECT_EQ(surface.locks[0].descSize, sizeof(DDSURFACEDESC));
    EXPECT_EQ(surface.locks[0].descFlags, DWORD{DDSD_ALL});
    EXPECT_EQ(surface.locks[0].flags, DWORD{DDLOCK_WAIT});
    EXPECT_FALSE(surface.locks[0].event);
    EXPECT_THAT(surface.unlocks, ElementsAre(nullptr));
    EXPECT_THAT(surface.pixels, ElementsAre(7, 7, 7, 0, 0, 0, 0, 0, 7, 7, 7, 0, 0, 0, 0, 0));
}

TEST(LibrarySurfaceLookupCalls, RefusedLockIsNeitherRemappedNorUnlocked) {
    fakes::CallLog log;
    fakes::FakeSurface surface(&log, "surface", 3, 2, 8);
    surface.lockResult = DDERR_SURFACELOST;
    TranslationTable table;
    std::memset(&table, 7, sizeof table);

    CaptureStderr();
    ddSurfaceLookup(&surface, &table);
    ddSurfaceLookup(&surface, &table);
    EXPECT_EQ(GetCapturedStderr(), "Error in LockError in Lock");  // no line end between them

    EXPECT_THAT(log.calls, ElementsAre("surface.Lock", "surface.Lock"));
    EXPECT_THAT(surface.pixels, testing::Each(0));
}

}  // namespace
