// Fills the process's GDI palette handles until CreatePalette refuses, so a
// test can see how many palettes the code under test keeps alive at once: a
// palette it leaks, or creates before deleting the one it replaces, finds no
// room and comes back null.
#pragma once

#include <vector>

#include <windows.h>

class GdiPaletteRoom {
public:
    GdiPaletteRoom() = default;
    GdiPaletteRoom(const GdiPaletteRoom &) = delete;
    GdiPaletteRoom &operator=(const GdiPaletteRoom &) = delete;
    ~GdiPaletteRoom() {
        for (HPALETTE palette : held_) DeleteObject(palette);
    }

    // Takes every palette handle still free; false when there seems to be no
    // limit (the test then proves nothing).
    bool fill() {
        struct {
            WORD palVersion = 0x300;
            WORD palNumEntries = 1;
            PALETTEENTRY entry = {1, 2, 3, 0};
        } one;
        for (int i = 0; i < kGiveUpAfter; ++i) {
            const HPALETTE palette = CreatePalette(reinterpret_cast<const LOGPALETTE *>(&one));
            if (palette == nullptr) return true;
            held_.push_back(palette);
        }
        return false;
    }

    // Gives back `count` of the handles taken by fill().
    void leave(size_t count) {
        for (; count > 0 && !held_.empty(); --count) {
            DeleteObject(held_.back());
            held_.pop_back();
        }
    }

private:
    static constexpr int kGiveUpAfter = 1 << 20;
    std::vector<HPALETTE> held_;
};
