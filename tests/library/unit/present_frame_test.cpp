// Presenting frames on a record opened on fakes: the blit's arguments, the
// back surface and its translation, the palette selected around the blit,
// and refused locks. The GDI is the stand-in's own, on an 8-bit screen
// (VIDSURF_DISPLAY=640x480x8).
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/gdi_spy.h"
#include "fakes/scripted_movie.h"
#include "stream/stream_sample.h"

namespace {

using fakes::FakeSurface;
using fakes::ScriptedMovie;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

constexpr DWORD kWidth = ScriptedMovie::kWidth;
constexpr DWORD kHeight = ScriptedMovie::kHeight;
constexpr LONG kBackPitch = kWidth + 8;
constexpr BYTE kPadding = 0xAB;

// Static colours of the system palette, and where they are kept.
struct StaticColour {
    BYTE systemIndex, red, green, blue;
};
constexpr StaticColour kStatic[] = {{1, 128, 0, 0}, {4, 0, 0, 128}, {7, 192, 192, 192}, {249, 255, 0, 0},
                                    {250, 0, 255, 0}, {252, 0, 0, 255}, {255, 255, 255, 255}};
constexpr int kStaticCount = sizeof kStatic / sizeof kStatic[0];
constexpr int kFirstStaticEntry = 30;  // stream entries 30.. hold the static colours
constexpr BYTE kOwnColourEntry = 100;  // a colour no static entry has
constexpr PALETTEENTRY kOwnColour = {10, 200, 30, 0};

bool rectIs(const RECT &rect, LONG left, LONG top, LONG right, LONG bottom) {
    return rect.left == left && rect.top == top && rect.right == right && rect.bottom == bottom;
}

bool paletteIsLive(HPALETTE palette) {
    PALETTEENTRY entry;
    return palette != nullptr && GetPaletteEntries(palette, 0, 1, &entry) == 1;
}

class LibraryPresent : public testing::Test {
protected:
    ~LibraryPresent() override {
        if (stream != nullptr) freeStreamSample(stream);
    }

    // Opens the movie; an 8-bit one gets a frame whose pixels name static
    // colours, with the movie's own colour in the top-left corner.
    void open(bool palettized, HWND window = nullptr) {
        if (palettized) {
            movie.withPalette();
            for (int k = 0; k < kStaticCount; ++k)
                movie.palette.entries[kFirstStaticEntry + k] = {kStatic[k].red, kStatic[k].green, kStatic[k].blue, 0};
            movie.palette.entries[kOwnColourEntry] = kOwnColour;
        }
        stream = createStreamSample("movie.avi", window, &movie.directDraw);
        ASSERT_NE(stream, nullptr);
        movie.directDraw.surface = &back;  // the next surface made is the back surface
        std::fill(back.pixels.begin(), back.pixels.end(), kPadding);
        for (DWORD y = 0; y < kHeight; ++y)
            for (DWORD x = 0; x < kWidth; ++x) frameAt(x, y) = BYTE(kFirstStaticEntry + (x + 3 * y) % kStaticCount);
        frameAt(0, 0) = kOwnColourEntry;
        movie.log.clear();
    }

    BYTE &frameAt(DWORD x, DWORD y) { return movie.surface.pixels[y * kWidth + x]; }
    BYTE backAt(DWORD x, DWORD y) const { return back.pixels[y * kBackPitch + x]; }

    // Every pixel but the corner translated to the static colour's index,
    // and the padding past each row untouched.
    void expectStaticColoursTranslated() {
        for (DWORD y = 0; y < kHeight; ++y) {
            for (DWORD x = 0; x < kWidth; ++x) {
                if (x == 0 && y == 0) continue;
                const BYTE expected = kStatic[(x + 3 * y) % kStaticCount].systemIndex;
                if (backAt(x, y) != expected) {
                    ADD_FAILURE() << "at " << x << "," << y << ": " << int(backAt(x, y)) << " not " << int(expected);
                    return;
                }
            }
            for (LONG x = kWidth; x < kBackPitch; ++x) ASSERT_EQ(back.pixels[y * kBackPitch + x], kPadding);
        }
    }

    PALETTEENTRY systemColour(BYTE index) {
        const HDC screen = GetDC(nullptr);
        PALETTEENTRY entry = {};
        GetSystemPaletteEntries(screen, index, 1, &entry);
        ReleaseDC(nullptr, screen);
        return entry;
    }

    ScriptedMovie movie;
    FakeSurface back{&movie.log, "back", kWidth, kHeight, kBackPitch};
    FakeSurface primary{&movie.log, "primary", 640, 480, 640};
    fakes::GdiSpy gdi{&movie.log};
    StreamSample *stream = nullptr;
};

// The three presenting calls on a true-colour movie: the same blit of the
// frame surface, and no palette work.
struct Presenter {
    const char *name;
    std::function<int(StreamSample *, IDirectDrawSurface *)> present;
};

void PrintTo(const Presenter &presenter, std::ostream *out) { *out << presenter.name; }

class LibraryPresentTrueColour : public LibraryPresent, public testing::WithParamInterface<Presenter> {};

TEST_P(LibraryPresentTrueColour, BlitsTheFrameToItsOwnRectangleAtTheTopLeft) {
    open(false);
    EXPECT_EQ(GetParam().present(stream, &primary), 1);  // what ReleaseDC said

    ASSERT_EQ(primary.blts.size(), 1u);
    const FakeSurface::BltCall &blt = primary.blts[0];
    EXPECT_TRUE(blt.hasDestination && rectIs(blt.destination, 0, 0, kWidth, kHeight));
    EXPECT_EQ(blt.source, static_cast<IDirectDrawSurface *>(&movie.surface));
    EXPECT_TRUE(blt.hasSourceRect && rectIs(blt.sourceRect, 0, 0, kWidth, kHeight));
    EXPECT_EQ(blt.flags, DWORD{DDBLT_WAIT});
    EXPECT_FALSE(blt.fx);

    EXPECT_THAT(movie.log.calls, ElementsAre("gdi.GetDC", "primary.Blt", "gdi.ReleaseDC"));
    ASSERT_EQ(gdi.gets.size(), 1u);
    EXPECT_EQ(gdi.gets[0].window, nullptr);  // the whole screen's
    EXPECT_EQ(gdi.releases[0].window, nullptr);
    EXPECT_EQ(gdi.releases[0].dc, gdi.gets[0].dc);
    EXPECT_EQ(movie.directDraw.created.size(), 1u);  // no back surface
}

INSTANTIATE_TEST_SUITE_P(
    EachPresenter, LibraryPresentTrueColour,
    testing::Values(Presenter{"Update", [](StreamSample *s, IDirectDrawSurface *p) { return updateSurface(s, p); }},
                    Presenter{"Draw", [](StreamSample *s, IDirectDrawSurface *p) { return drawSurface(s, p, 1); }},
                    Presenter{"Redraw", [](StreamSample *s, IDirectDrawSurface *p) { return redrawSurface(s, p); }}),
    [](const testing::TestParamInfo<Presenter> &info) { return std::string(info.param.name); });

TEST_F(LibraryPresent, BackSurfaceIsMadeOnceFromTheFormatAndHoldsTheTranslatedFrame) {
    open(true);
    EXPECT_EQ(updateSurface(stream, &primary), 1);
    const std::vector<BYTE> translated = back.pixels;
    frameAt(0, 0) = kFirstStaticEntry + 3;  // a new frame
    EXPECT_EQ(updateSurface(stream, &primary), 1);

    ASSERT_EQ(movie.directDraw.created.size(), 2u);  // the frame surface, then the back surface once
    const DDSURFACEDESC &made = movie.directDraw.created[1];
    EXPECT_EQ(made.dwSize, sizeof(DDSURFACEDESC));
    EXPECT_EQ(made.dwWidth, kWidth);
    EXPECT_EQ(made.dwHeight, kHeight);
    EXPECT_EQ(made.ddpfPixelFormat.dwRGBBitCount, 8u);
    EXPECT_EQ(movie.directDraw.outers[1], nullptr);
    EXPECT_EQ(stream->backSurface, static_cast<IDirectDrawSurface *>(&back));
    EXPECT_EQ(back.refs(), 2u);
    EXPECT_EQ(movie.palette.refs(), 2u);  // the format's palette replaced, not leaked

    ASSERT_EQ(primary.blts.size(), 2u);
    for (const auto &blt : primary.blts) EXPECT_EQ(blt.source, static_cast<IDirectDrawSurface *>(&back));
    expectStaticColoursTranslated();
    EXPECT_EQ(backAt(0, 0), kStatic[3].systemIndex);
    EXPECT_NE(translated[0], backAt(0, 0));
    // Nothing selected, nothing realised: the frame keeps the stream's indices.
    EXPECT_THAT(gdi.selections, IsEmpty());
    EXPECT_THAT(gdi.realizations, IsEmpty());
    EXPECT_EQ(frameAt(1, 0), kFirstStaticEntry + 1);
}

// A refused lock in the copy: the message, no second translation of what
// the back surface holds, and the blit all the same.
struct RefusedLock {
    const char *name;
    bool frameRefused;
    std::vector<std::string> frameCalls;
    std::vector<std::string> backCalls;
};

void PrintTo(const RefusedLock &refused, std::ostream *out) { *out << refused.name; }

class LibraryPresentRefusedLock : public LibraryPresent, public testing::WithParamInterface<RefusedLock> {};

TEST_P(LibraryPresentRefusedLock, ShowsThePreviousTranslationUnchanged) {
    open(true);
    ASSERT_EQ(updateSurface(stream, &primary), 1);
    const std::vector<BYTE> translated = back.pixels;
    frameAt(7, 7) = kOwnColourEntry;
    (GetParam().frameRefused ? movie.surface : back).lockResult = DDERR_SURFACELOST;
    movie.log.clear();

    CaptureStderr();
    EXPECT_EQ(updateSurface(stream, &primary), 1);
    EXPECT_EQ(GetCapturedStderr(), "Error in Lock");

    EXPECT_THAT(movie.log.startingWith("surface."), testing::ElementsAreArray(GetParam().frameCalls));
    EXPECT_THAT(movie.log.startingWith("back."), testing::ElementsAreArray(GetParam().backCalls));
    EXPECT_EQ(back.pixels, translated);
    EXPECT_EQ(primary.blts.back().source, static_cast<IDirectDrawSurface *>(&back));
}

INSTANTIATE_TEST_SUITE_P(EachSurface, LibraryPresentRefusedLock,
                         testing::Values(RefusedLock{"FrameSurface", true, {"surface.Lock"}, {}},
                                         RefusedLock{"BackSurface", false, {"surface.Lock", "surface.Unlock"},
                                                     {"back.Lock"}}),
                         [](const testing::TestParamInfo<RefusedLock> &info) { return std::string(info.param.name); });

TEST_F(LibraryPresent, DrawSelectsAFreshPaletteInTheBackgroundAndRestoresTheOldOne) {
    open(true);
    ASSERT_EQ(updateSurface(stream, &primary), 1);
    const std::vector<BYTE> translated = back.pixels;
    const HPALETTE captured = stream->hPalette;
    movie.log.clear();

    EXPECT_EQ(drawSurface(stream, &primary, 0), 1);

    EXPECT_THAT(movie.log.calls, ElementsAre("gdi.GetDC", "gdi.SelectPalette", "surface.Lock", "back.Lock",
                                             "surface.Unlock", "back.Unlock", "back.Lock", "back.Unlock",
                                             "primary.Blt", "gdi.SelectPalette", "gdi.ReleaseDC"));
    EXPECT_FALSE(paletteIsLive(captured));
    EXPECT_TRUE(paletteIsLive(stream->hPalette));
    ASSERT_EQ(gdi.selections.size(), 2u);
    const HDC dc = gdi.gets.back().dc;
    EXPECT_EQ(gdi.selections[0].dc, dc);
    EXPECT_EQ(gdi.selections[0].palette, stream->hPalette);
    EXPECT_TRUE(gdi.selections[0].background);
    EXPECT_EQ(gdi.selections[1].dc, dc);
    EXPECT_EQ(gdi.selections[1].palette, gdi.selections[0].previous);
    EXPECT_EQ(gdi.selections[1].palette, GetStockObject(DEFAULT_PALETTE));
    EXPECT_TRUE(gdi.selections[1].background);
    // A fresh copy translated once: the same picture as before, not the
    // translation applied to itself.
    EXPECT_EQ(back.pixels, translated);
    EXPECT_EQ(primary.blts.back().source, static_cast<IDirectDrawSurface *>(&back));
}

TEST_F(LibraryPresent, DrawRealisesBeforeItReadsTheSystemPalette) {
    open(true);
    ASSERT_EQ(updateSurface(stream, &primary), 1);
    const PALETTEENTRY before = systemColour(backAt(0, 0));
    ASSERT_FALSE(before.peRed == kOwnColour.peRed && before.peGreen == kOwnColour.peGreen);
    movie.log.clear();

    EXPECT_EQ(drawSurface(stream, &primary, 1), 1);

    EXPECT_THAT(movie.log.startingWith("gdi."), ElementsAre("gdi.GetDC", "gdi.SelectPalette", "gdi.RealizePalette",
                                                            "gdi.SelectPalette", "gdi.ReleaseDC"));
    EXPECT_EQ(gdi.realizations[0], gdi.selections.back().dc);
    // The movie's colours have entries of their own now, and the back
    // surface uses them: its corner too.
    PALETTEENTRY system[256];
    const HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetSystemPaletteEntries(screen, 0, 256, system), 256u);
    ReleaseDC(nullptr, screen);
    for (DWORD y = 0; y < kHeight; y += 7) {
        for (DWORD x = 0; x < kWidth; x += 5) {
            const PALETTEENTRY &want = movie.palette.entries[frameAt(x, y)];
            const PALETTEENTRY &got = system[backAt(x, y)];
            ASSERT_TRUE(got.peRed == want.peRed && got.peGreen == want.peGreen && got.peBlue == want.peBlue)
                << "at " << x << "," << y;
        }
    }
}

TEST_F(LibraryPresent, DrawBeforeAnyUpdateBlitsTheFrameSurface) {
    open(true);
    EXPECT_EQ(drawSurface(stream, &primary, 0), 1);
    EXPECT_THAT(movie.log.startingWith("surface."), IsEmpty());
    EXPECT_EQ(movie.directDraw.created.size(), 1u);
    EXPECT_EQ(primary.blts[0].source, static_cast<IDirectDrawSurface *>(&movie.surface));
    EXPECT_EQ(gdi.selections.size(), 2u);
}

TEST_F(LibraryPresent, RedrawBlitsTheUntranslatedFrameWithThePaletteSelected) {
    open(true);
    ASSERT_EQ(updateSurface(stream, &primary), 1);
    movie.log.clear();

    EXPECT_EQ(redrawSurface(stream, &primary), 1);

    EXPECT_THAT(movie.log.calls, ElementsAre("gdi.GetDC", "gdi.SelectPalette", "primary.Blt", "gdi.SelectPalette",
                                             "gdi.ReleaseDC"));
    EXPECT_EQ(primary.blts.back().source, static_cast<IDirectDrawSurface *>(&movie.surface));
    ASSERT_EQ(gdi.selections.size(), 2u);
    EXPECT_EQ(gdi.selections[0].palette, stream->hPalette);
    EXPECT_TRUE(gdi.selections[0].background);
    EXPECT_EQ(gdi.selections[1].palette, gdi.selections[0].previous);
    EXPECT_TRUE(gdi.selections[1].background);
}

}  // namespace
