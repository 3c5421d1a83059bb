#include "display.h"

#include <cstdio>
#include <cstring>

namespace reelplay {

namespace {

DDSURFACEDESC EmptyDesc() {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    return desc;
}

}  // namespace

Display::Display() {
    if (DirectDrawCreate(nullptr, &directDraw_, nullptr) != DD_OK) {
        std::fprintf(stderr, "reelplay: DirectDrawCreate failed\n");
        directDraw_ = nullptr;
        return;
    }
    directDraw_->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
    DDSURFACEDESC mode = EmptyDesc();
    if (directDraw_->GetDisplayMode(&mode) == DD_OK) {
        width_ = mode.dwWidth;
        height_ = mode.dwHeight;
        bitsPerPixel_ = mode.ddpfPixelFormat.dwRGBBitCount;
        if (mode.dwRefreshRate > 0) refreshRate_ = mode.dwRefreshRate;
    }
    DDSURFACEDESC desc = EmptyDesc();
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (directDraw_->CreateSurface(&desc, &primary_, nullptr) != DD_OK) {
        std::fprintf(stderr, "reelplay: cannot create the primary surface\n");
        primary_ = nullptr;
    }
}

Display::~Display() {
    if (primary_) primary_->Release();
    if (directDraw_) directDraw_->Release();
}

int Display::scaleFor(int frameWidth, int frameHeight) const {
    // Room for the window's frame and caption around the doubled picture.
    const bool roomForTwice = 2 * frameWidth + 16 <= static_cast<int>(width_) &&
                              2 * frameHeight + 48 <= static_cast<int>(height_);
    return roomForTwice ? 2 : 1;
}

HWND Display::makeWindow(const char *title) const {
    return CreateWindowExA(0, "reelplay", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 240, nullptr,
                           nullptr, nullptr, nullptr);
}

void Display::centreWindow(HWND window, int clientWidth, int clientHeight) const {
    // The frame and caption come on top of the client area asked for.
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    const int outerWidth = clientWidth + (outer.right - outer.left) - client.right;
    const int outerHeight = clientHeight + (outer.bottom - outer.top) - client.bottom;
    MoveWindow(window, (static_cast<int>(width_) - outerWidth) / 2, (static_cast<int>(height_) - outerHeight) / 2,
               outerWidth, outerHeight, TRUE);
}

}  // namespace reelplay
