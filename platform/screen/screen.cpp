#include "screen/screen.h"

#include "screen/row_pitch.h"

namespace standin {

Screen::Screen(const ScreenMode &mode) : mode_(mode) {
    // ParseScreenMode bounds the mode, so the pitch always fits.
    PaddedRowPitch(mode_.width, mode_.bitsPerPixel, &pitch_);
    pixels_.assign(static_cast<size_t>(pitch_) * mode_.height, 0);
}

std::shared_ptr<Screen> Screen::Shared() {
    // Held here and by every surface, so a host that leaks a surface past
    // static destruction still points at live memory.
    static const std::shared_ptr<Screen> screen(new Screen(CurrentScreenMode()));
    return screen;
}

Screen &Screen::Instance() { return *Shared(); }

}  // namespace standin
