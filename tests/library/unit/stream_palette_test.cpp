// Capturing the stream palette into logPalette, hPalette and the host's
// colour buffer.
#include <array>
#include <cstring>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/fake_direct_draw.h"
#include "fakes/fake_video_stream.h"
#include "gdi_palette_room.h"
#include "stream/stream_format.h"
#include "stream/stream_sample.h"

namespace {

using fakes::CallLog;
using fakes::FakePalette;

bool paletteIsLive(HPALETTE palette) {
    PALETTEENTRY entry;
    return palette != nullptr && GetPaletteEntries(palette, 0, 1, &entry) == 1;
}

class LibraryStreamPalette : public testing::Test {
protected:
    LibraryStreamPalette() {
        record.ddStream = &ddStream;
        ddStream.palette = &palette;
        for (int i = 0; i < 256; ++i) {
            // Flags as a stream might report them: never what the capture keeps.
            palette.entries[i] = {BYTE(i), BYTE(i ^ 0x5A), BYTE(255 - i), BYTE(i % 3 == 0 ? PC_EXPLICIT : 0)};
        }
    }
    ~LibraryStreamPalette() override {
        releaseStreamPalette(&record);
        if (record.hPalette != nullptr) DeleteObject(record.hPalette);
        std::free(record.logPalette);
    }

    const PALETTEENTRY *captured() const { return record.logPalette->palPalEntry; }

    CallLog log;
    fakes::FakeDirectDrawMediaStream ddStream{&log};
    FakePalette palette{&log};
    StreamSample record{};
};

TEST_F(LibraryStreamPalette, CapturesEntriesWithFlagsFiveAndHandsOutRgbTriples) {
    std::array<unsigned char, 768 + 2> rgb;
    rgb.fill(0xEE);

    EXPECT_EQ(streamPalette(&record, rgb.data()), 256);

    ASSERT_EQ(palette.entryCalls.size(), 1u);
    EXPECT_EQ(palette.entryCalls[0].flags, 0u);
    EXPECT_EQ(palette.entryCalls[0].base, 0u);
    EXPECT_EQ(palette.entryCalls[0].count, 256u);
    ASSERT_NE(record.logPalette, nullptr);
    EXPECT_EQ(record.logPalette->palVersion, 0x300);
    EXPECT_EQ(record.logPalette->palNumEntries, 256);
    for (int i = 0; i < 256; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(captured()[i].peRed, palette.entries[i].peRed);
        EXPECT_EQ(captured()[i].peGreen, palette.entries[i].peGreen);
        EXPECT_EQ(captured()[i].peBlue, palette.entries[i].peBlue);
        EXPECT_EQ(captured()[i].peFlags, PC_RESERVED | PC_NOCOLLAPSE);
        EXPECT_EQ(rgb[3 * i], palette.entries[i].peRed);
        EXPECT_EQ(rgb[3 * i + 1], palette.entries[i].peGreen);
        EXPECT_EQ(rgb[3 * i + 2], palette.entries[i].peBlue);
    }
    EXPECT_EQ(rgb[768], 0xEE);
    EXPECT_EQ(rgb[769], 0xEE);

    // The GDI palette holds the captured colours.
    ASSERT_TRUE(paletteIsLive(record.hPalette));
    PALETTEENTRY gdiEntries[256];
    ASSERT_EQ(GetPaletteEntries(record.hPalette, 0, 256, gdiEntries), 256u);
    EXPECT_EQ(std::memcmp(gdiEntries, captured(), sizeof gdiEntries), 0);
}

TEST_F(LibraryStreamPalette, AsksForTheFormatOnlyWhileItHasNoPalette) {
    EXPECT_EQ(streamPalette(&record, nullptr), 256);
    ASSERT_EQ(ddStream.formatCalls.size(), 1u);
    EXPECT_EQ(ddStream.formatCalls[0].currentSize, sizeof(DDSURFACEDESC));
    EXPECT_EQ(ddStream.formatCalls[0].currentFlags, DWORD{DDSD_ALL});
    EXPECT_TRUE(ddStream.formatCalls[0].paletteOut);
    EXPECT_FALSE(ddStream.formatCalls[0].desired);
    EXPECT_FALSE(ddStream.formatCalls[0].flagsOut);
    EXPECT_EQ(record.ddPalette, static_cast<IDirectDrawPalette *>(&palette));
    EXPECT_EQ(palette.refs(), 2u);

    EXPECT_EQ(streamPalette(&record, nullptr), 256);
    EXPECT_EQ(ddStream.formatCalls.size(), 1u);
    EXPECT_EQ(palette.refs(), 2u);
}

TEST_F(LibraryStreamPalette, SecondCaptureReusesTheBlockAndKeepsOneGdiPalette) {
    ASSERT_EQ(streamPalette(&record, nullptr), 256);
    LOGPALETTE *const block = record.logPalette;
    const HPALETTE first = record.hPalette;

    palette.entries[7] = {1, 2, 3, 0};
    palette.writable = 16;  // the rest is not written this time: it must read black
    unsigned char rgb[768];
    ASSERT_EQ(streamPalette(&record, rgb), 256);

    EXPECT_EQ(record.logPalette, block);
    EXPECT_FALSE(paletteIsLive(first));
    EXPECT_TRUE(paletteIsLive(record.hPalette));
    EXPECT_EQ(captured()[7].peRed, 1);
    EXPECT_EQ(captured()[7].peBlue, 3);
    EXPECT_EQ(captured()[16].peRed, 0);
    EXPECT_EQ(captured()[16].peGreen, 0);
    EXPECT_EQ(captured()[255].peRed, 0);
    EXPECT_EQ(captured()[255].peFlags, PC_RESERVED | PC_NOCOLLAPSE);
    EXPECT_EQ(rgb[3 * 7 + 1], 2);
    EXPECT_EQ(rgb[3 * 200], 0);
}

TEST_F(LibraryStreamPalette, DeletesTheOldGdiPaletteBeforeMakingTheNewOne) {
    ASSERT_EQ(streamPalette(&record, nullptr), 256);
    GdiPaletteRoom room;
    ASSERT_TRUE(room.fill());

    // Only the room of the palette being replaced is left.
    ASSERT_EQ(streamPalette(&record, nullptr), 256);
    EXPECT_TRUE(paletteIsLive(record.hPalette));
}

TEST_F(LibraryStreamPalette, WithoutAPaletteReturnsZeroAndAllocatesNothing) {
    ddStream.palette = nullptr;
    std::array<unsigned char, 768> rgb;
    rgb.fill(0xEE);

    EXPECT_EQ(streamPalette(&record, rgb.data()), 0);
    EXPECT_EQ(record.ddPalette, nullptr);
    EXPECT_EQ(record.logPalette, nullptr);
    EXPECT_EQ(record.hPalette, nullptr);
    EXPECT_EQ(rgb[0], 0xEE);
    EXPECT_EQ(rgb[767], 0xEE);
}

TEST_F(LibraryStreamPalette, LaterFormatWithoutAPaletteKeepsTheOldCapture) {
    ASSERT_EQ(streamPalette(&record, nullptr), 256);
    const HPALETTE kept = record.hPalette;
    releaseStreamPalette(&record);  // as if the record had lost its palette reference
    ddStream.palette = nullptr;

    EXPECT_EQ(streamPalette(&record, nullptr), 0);
    EXPECT_EQ(record.hPalette, kept);
    EXPECT_TRUE(paletteIsLive(kept));
    EXPECT_EQ(captured()[5].peRed, 5);
}

TEST_F(LibraryStreamPalette, NullRecordReturnsZero) { EXPECT_EQ(streamPalette(nullptr, nullptr), 0); }

TEST_F(LibraryStreamPalette, FreshFormatReleasesThePaletteItReplaces) {
    FakePalette older(&log, "older");
    older.AddRef();
    record.ddPalette = &older;

    DDSURFACEDESC current{};
    current.dwSize = sizeof current;
    readStreamFormat(&record, &current, nullptr, nullptr);

    EXPECT_EQ(older.refs(), 1u);
    EXPECT_EQ(record.ddPalette, static_cast<IDirectDrawPalette *>(&palette));
    EXPECT_EQ(palette.refs(), 2u);
}

}  // namespace
