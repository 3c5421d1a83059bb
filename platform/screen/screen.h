// The process's one virtual display: the pixel memory that primary surfaces
// show, the PNG writer saves and the SDL mirror displays.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include <windows.h>

#include "screen/screen_mode.h"

namespace standin {

class Screen {
public:
    // The screen, created (all zero) on first use in the mode of
    // VIDSURF_DISPLAY.
    static Screen &Instance();
    // The same screen for owners that must keep it alive (surfaces,
    // palettes): it lives until the last of them lets go.
    static std::shared_ptr<Screen> Shared();

    Screen(const Screen &) = delete;
    Screen &operator=(const Screen &) = delete;

    const ScreenMode &mode() const { return mode_; }
    // Bytes from one row to the next: the row's bytes rounded up to 8.
    LONG pitch() const { return pitch_; }
    // mode().height rows of pitch() bytes; the address never changes.
    BYTE *pixels() { return pixels_.data(); }
    // Held by whoever reads or writes many pixels at once (blits, captures).
    std::mutex &mutex() { return mutex_; }
    // Signalled whenever a primary surface is unlocked.
    std::condition_variable &unlocked() { return unlocked_; }

private:
    explicit Screen(const ScreenMode &mode);

    const ScreenMode mode_;
    LONG pitch_ = 0;
    std::vector<BYTE> pixels_;
    std::mutex mutex_;
    std::condition_variable unlocked_;
};

}  // namespace standin
