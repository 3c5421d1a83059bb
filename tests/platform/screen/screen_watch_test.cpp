// StandinWatchScreen: the host hears of each blit that changes the screen,
// and of nothing else.
#include <gtest/gtest.h>

#include <cstring>

#include <ddraw.h>
#include <standin/standin.h>

namespace {

IDirectDrawSurface *MakeSurface(IDirectDraw *dd, DWORD caps, DWORD width = 0, DWORD height = 0) {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | (width ? DDSD_WIDTH | DDSD_HEIGHT : 0);
    desc.dwWidth = width;
    desc.dwHeight = height;
    desc.ddsCaps.dwCaps = caps;
    IDirectDrawSurface *surface = nullptr;
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);
    return surface;
}

struct Watcher {
    int calls = 0;
    IDirectDrawSurface *blitAgainTo = nullptr;  // a blit from inside the watcher
    IDirectDrawSurface *from = nullptr;
};

void Count(void *context) {
    Watcher *watcher = static_cast<Watcher *>(context);
    ++watcher->calls;
    if (watcher->blitAgainTo) watcher->blitAgainTo->Blt(nullptr, watcher->from, nullptr, DDBLT_WAIT, nullptr);
}

TEST(ScreenWatch, EachBlitToThePrimaryOnceNothingElseAndNotAfterStopping) {
    IDirectDraw *dd = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    IDirectDrawSurface *primary = MakeSurface(dd, DDSCAPS_PRIMARYSURFACE);
    IDirectDrawSurface *frame = MakeSurface(dd, DDSCAPS_OFFSCREENPLAIN, 8, 4);
    IDirectDrawSurface *other = MakeSurface(dd, DDSCAPS_OFFSCREENPLAIN, 8, 4);
    RECT corner = {0, 0, 8, 4};

    Watcher watcher;
    StandinWatchScreen(Count, &watcher);
    EXPECT_EQ(primary->Blt(&corner, frame, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(watcher.calls, 1);
    EXPECT_EQ(other->Blt(nullptr, frame, nullptr, DDBLT_WAIT, nullptr), DD_OK);  // offscreen only
    RECT outside = {30, 0, 40, 4};
    EXPECT_NE(primary->Blt(&outside, frame, nullptr, DDBLT_WAIT, nullptr), DD_OK);  // refused: no change
    EXPECT_EQ(watcher.calls, 1);

    // The watcher's own blit to the screen does not call it again.
    watcher.blitAgainTo = primary;
    watcher.from = frame;
    EXPECT_EQ(primary->Blt(&corner, frame, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(watcher.calls, 2);

    StandinWatchScreen(nullptr, nullptr);
    EXPECT_EQ(primary->Blt(&corner, frame, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(watcher.calls, 2);

    other->Release();
    frame->Release();
    primary->Release();
    dd->Release();
}

}  // namespace
