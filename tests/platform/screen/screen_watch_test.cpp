// StandinWatchScreen: the host hears of each blit that changes the screen,
// and of nothing else.
#include <gtest/gtest.h>

#include <cstring>

#include <ddraw.h>
#include <standin/standin.h>

namespace {

IDirectDrawSurface *MakeSurface(IDirectDraw *dd, DWORD caps, DWORD flags = 0) {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | flags;
    desc.dwWidth = 8;
    desc.dwHeight = 4;
    desc.ddsCaps.dwCaps = caps;
    IDirectDrawSurface *surface = nullptr;
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);
    return surface;
}

struct Watcher {
    int calls = 0;
    IDirectDrawSurface *primary = nullptr, *frame = nullptr;  // blitted again from inside
};

void Count(void *context) {
    Watcher *watcher = static_cast<Watcher *>(context);
    ++watcher->calls;
    RECT corner = {0, 0, 8, 4};
    if (watcher->primary) watcher->primary->Blt(&corner, watcher->frame, nullptr, DDBLT_WAIT, nullptr);
}

TEST(ScreenWatch, EachBlitToThePrimaryOnceNothingElseAndNotAfterStopping) {
    IDirectDraw *dd = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    IDirectDrawSurface *primary = MakeSurface(dd, DDSCAPS_PRIMARYSURFACE);
    IDirectDrawSurface *frame = MakeSurface(dd, DDSCAPS_OFFSCREENPLAIN, DDSD_WIDTH | DDSD_HEIGHT);
    IDirectDrawSurface *other = MakeSurface(dd, DDSCAPS_OFFSCREENPLAIN, DDSD_WIDTH | DDSD_HEIGHT);
    RECT corner = {0, 0, 8, 4}, outside = {30, 0, 40, 4};
    auto blit = [&](IDirectDrawSurface *to, RECT *rect) { return to->Blt(rect, frame, nullptr, DDBLT_WAIT, nullptr); };

    Watcher watcher;
    StandinWatchScreen(Count, &watcher);
    EXPECT_EQ(blit(primary, &corner), DD_OK);
    EXPECT_EQ(blit(other, nullptr), DD_OK);        // offscreen: the screen is unchanged
    EXPECT_NE(blit(primary, &outside), DD_OK);     // refused: unchanged too
    EXPECT_EQ(watcher.calls, 1);
    watcher.primary = primary;  // the watcher's own blit does not call it again
    watcher.frame = frame;
    EXPECT_EQ(blit(primary, &corner), DD_OK);
    EXPECT_EQ(watcher.calls, 2);
    StandinWatchScreen(nullptr, nullptr);
    EXPECT_EQ(blit(primary, &corner), DD_OK);
    EXPECT_EQ(watcher.calls, 2);

    for (IUnknown *object : {static_cast<IUnknown *>(other), static_cast<IUnknown *>(frame),
                             static_cast<IUnknown *>(primary), static_cast<IUnknown *>(dd)})
        object->Release();
}

}  // namespace
