// Watches the device-context and palette calls made while a spy lives. The
// test program's own GetDC, ReleaseDC, SelectPalette and RealizePalette
// stand in front of the stand-in's (the library's objects are linked into
// the program), log the call and hand it on, so the GDI still works for
// real.
#pragma once

#include <vector>

#include <windows.h>

#include "fakes/call_log.h"

namespace fakes {

class GdiSpy {
public:
    explicit GdiSpy(CallLog *log);
    ~GdiSpy();
    GdiSpy(const GdiSpy &) = delete;
    GdiSpy &operator=(const GdiSpy &) = delete;

    struct DcCall {
        HWND window;
        HDC dc;
        int result;  // ReleaseDC only
    };
    struct Selection {
        HDC dc;
        HPALETTE palette;
        BOOL background;
        HPALETTE previous;  // what SelectPalette returned
    };
    std::vector<DcCall> gets;
    std::vector<DcCall> releases;
    std::vector<Selection> selections;
    std::vector<HDC> realizations;

    // The spy of the moment, if any (one at a time).
    static GdiSpy *active();
    void add(const char *call) { log_->add(std::string("gdi.") + call); }

private:
    CallLog *log_;
};

}  // namespace fakes
