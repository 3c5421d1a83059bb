// Lock and Unlock: the description they fill and the lock state.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "ddraw_test_support.h"

using namespace ddtest;

namespace {

class SurfaceLock : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dd_ = OpenDirectDraw());
        ASSERT_TRUE(surface_ = MakeOffscreen(dd_.get(), 21, 9, 24));
    }

    static DDSURFACEDESC Blank() {
        DDSURFACEDESC desc;
        std::memset(&desc, 0x5A, sizeof(desc));  // every field the lock must rewrite
        desc.dwSize = sizeof(desc);
        return desc;
    }

    Owned<IDirectDraw> dd_;
    Owned<IDirectDrawSurface> surface_;
};

}  // namespace

TEST_F(SurfaceLock, ChecksTheDescriptionSize) {
    DDSURFACEDESC desc = Blank();
    desc.dwSize = sizeof(desc) - 1;
    EXPECT_EQ(surface_->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface_->Lock(nullptr, nullptr, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
    // Neither refusal left the surface locked.
    EXPECT_EQ(surface_->Unlock(nullptr), DDERR_NOTLOCKED);
}

TEST_F(SurfaceLock, FillsTheDescription) {
    DDSURFACEDESC desc = Blank();
    ASSERT_EQ(surface_->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(desc.dwSize, sizeof(desc));
    EXPECT_EQ(desc.dwFlags,
              DWORD{DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_CAPS | DDSD_LPSURFACE});
    EXPECT_EQ(desc.dwWidth, 21u);
    EXPECT_EQ(desc.dwHeight, 9u);
    EXPECT_EQ(desc.lPitch, 64);
    EXPECT_EQ(desc.ddpfPixelFormat.dwSize, sizeof(DDPIXELFORMAT));
    EXPECT_EQ(desc.ddpfPixelFormat.dwFlags, DWORD{DDPF_RGB});
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 24u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwGBitMask, 0x00FF00u);
    EXPECT_EQ(desc.ddsCaps.dwCaps, DWORD{DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY});
    EXPECT_EQ(desc.dwBackBufferCount, 0u);
    ASSERT_NE(desc.lpSurface, nullptr);
    // The whole padded surface is writable.
    std::memset(desc.lpSurface, 0xFF, desc.lPitch * desc.dwHeight);
    EXPECT_EQ(surface_->Unlock(nullptr), DD_OK);
}

TEST_F(SurfaceLock, RectanglePointsIntoTheSurface) {
    DDSURFACEDESC whole = Blank();
    ASSERT_EQ(surface_->Lock(nullptr, &whole, DDLOCK_WAIT, nullptr), DD_OK);
    ASSERT_EQ(surface_->Unlock(nullptr), DD_OK);

    RECT rect{5, 3, 9, 7};
    DDSURFACEDESC part = Blank();
    ASSERT_EQ(surface_->Lock(&rect, &part, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(static_cast<BYTE *>(part.lpSurface), static_cast<BYTE *>(whole.lpSurface) + 3 * 64 + 5 * 3);
    EXPECT_EQ(part.dwWidth, 21u);
    EXPECT_EQ(surface_->Unlock(part.lpSurface), DD_OK);
}

TEST_F(SurfaceLock, RefusesRectanglesOutsideTheSurface) {
    const RECT refused[] = {{0, 0, 22, 9}, {0, 0, 21, 10}, {-1, 0, 4, 4}, {6, 2, 5, 4}, {3, 3, 3, 5}};
    for (RECT rect : refused) {
        DDSURFACEDESC desc = Blank();
        EXPECT_EQ(surface_->Lock(&rect, &desc, DDLOCK_WAIT, nullptr), DDERR_INVALIDRECT)
            << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    }
    EXPECT_EQ(surface_->Unlock(nullptr), DDERR_NOTLOCKED);
}

TEST_F(SurfaceLock, ASecondLockIsRefusedUntilUnlock) {
    DDSURFACEDESC desc = Blank();
    ASSERT_EQ(surface_->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    DDSURFACEDESC again = Blank();
    EXPECT_EQ(surface_->Lock(nullptr, &again, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);

    // Another thread that does not wait sees the same lock.
    HRESULT fromThread = DD_OK;
    std::thread([&] {
        DDSURFACEDESC other = Blank();
        fromThread = surface_->Lock(nullptr, &other, 0, nullptr);
    }).join();
    EXPECT_EQ(fromThread, DDERR_SURFACEBUSY);

    EXPECT_EQ(surface_->Unlock(nullptr), DD_OK);
    EXPECT_EQ(surface_->Unlock(nullptr), DDERR_NOTLOCKED);
    EXPECT_EQ(surface_->Lock(nullptr, &again, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(surface_->Unlock(nullptr), DD_OK);
}

TEST_F(SurfaceLock, EachPrimaryHasItsOwnLock) {
    Owned<IDirectDrawSurface> first = MakePrimary(dd_.get());
    Owned<IDirectDrawSurface> second = MakePrimary(dd_.get());
    ASSERT_TRUE(first && second);
    DDSURFACEDESC a = Blank();
    DDSURFACEDESC b = Blank();
    ASSERT_EQ(first->Lock(nullptr, &a, DDLOCK_WAIT, nullptr), DD_OK);
    ASSERT_EQ(second->Lock(nullptr, &b, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(a.lpSurface, b.lpSurface);
    EXPECT_EQ(first->Unlock(nullptr), DD_OK);
    EXPECT_EQ(second->Unlock(nullptr), DD_OK);
}

TEST_F(SurfaceLock, SurfaceDescriptionMatchesTheLockWithoutMemory) {
    DDSURFACEDESC desc = Blank();
    ASSERT_EQ(surface_->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwFlags, DWORD{DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_CAPS});
    EXPECT_EQ(desc.lpSurface, nullptr);
    EXPECT_EQ(desc.lPitch, 64);
    desc.dwSize = 0;
    EXPECT_EQ(surface_->GetSurfaceDesc(&desc), DDERR_INVALIDPARAMS);
}

// With the wait flags, a surface locked by another thread (the decoding
// thread writing a frame) is waited for; without them the call fails at once.
TEST_F(SurfaceLock, WaitFlagsWaitForAnotherThreadsLock) {
    Owned<IDirectDrawSurface> other = MakeOffscreen(dd_.get(), 21, 9, 24);
    ASSERT_TRUE(other);
    DDBLTFX fill = {};
    fill.dwSize = sizeof(fill);
    struct Case {
        const char *name;
        std::function<HRESULT(DWORD wait)> call;
        DWORD waitFlag;
    };
    const Case cases[] = {
        {"Lock", [&](DWORD flags) {
             DDSURFACEDESC desc = Blank();
             const HRESULT hr = surface_->Lock(nullptr, &desc, flags, nullptr);
             if (hr == DD_OK) surface_->Unlock(nullptr);
             return hr;
         }, DDLOCK_WAIT},
        {"Blt onto", [&](DWORD flags) { return surface_->Blt(nullptr, other.get(), nullptr, flags, nullptr); },
         DDBLT_WAIT},
        {"Blt from", [&](DWORD flags) { return other->Blt(nullptr, surface_.get(), nullptr, flags, nullptr); },
         DDBLT_WAIT},
        {"ColorFill", [&](DWORD flags) {
             return surface_->Blt(nullptr, nullptr, nullptr, flags | DDBLT_COLORFILL, &fill);
         }, DDBLT_WAIT},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DDSURFACEDESC held = Blank();
        ASSERT_EQ(surface_->Lock(nullptr, &held, DDLOCK_WAIT, nullptr), DD_OK);
        HRESULT noWait = DD_OK;
        std::thread([&] { noWait = c.call(0); }).join();
        EXPECT_EQ(noWait, DDERR_SURFACEBUSY);

        std::atomic<bool> done{false};
        HRESULT waited = E_FAIL;
        std::thread waiter([&] {
            waited = c.call(c.waitFlag);
            done = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(done) << "did not wait for the lock";
        ASSERT_EQ(surface_->Unlock(nullptr), DD_OK);
        waiter.join();
        EXPECT_EQ(waited, DD_OK);
    }
}
