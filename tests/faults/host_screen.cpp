#include "host_screen.h"

namespace faulthost {

HostScreen::~HostScreen() {
    if (window_) DestroyWindow(window_);
    if (primary_) primary_->Release();
    if (directDraw_) directDraw_->Release();
}

bool HostScreen::Open(std::string *error) {
    if (DirectDrawCreate(nullptr, &directDraw_, nullptr) != DD_OK ||
        directDraw_->SetCooperativeLevel(nullptr, DDSCL_NORMAL) != DD_OK) {
        *error = "DirectDrawCreate failed";
        return false;
    }
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (directDraw_->CreateSurface(&desc, &primary_, nullptr) != DD_OK) {
        *error = "the primary surface cannot be made";
        return false;
    }
    // A popup has no frame: its client area is the whole 200x150.
    window_ = CreateWindowExA(0, "fault_host", "movie", WS_POPUP | WS_VISIBLE, 60, 45, 200, 150, nullptr, nullptr,
                              nullptr, nullptr);
    if (!window_) {
        *error = "CreateWindowExA failed";
        return false;
    }
    return true;
}

}  // namespace faulthost
