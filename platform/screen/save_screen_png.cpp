// StandinSaveScreenPng: the screen as it looks now, saved as a PNG image.
#include <new>

#include <standin/standin.h>

#include "screen/png_writer.h"
#include "screen/screen_rgb.h"

extern "C" HRESULT StandinSaveScreenPng(const char *path) {
    if (!path || !*path) return E_INVALIDARG;
    try {
        return standin::WritePng(path, standin::CaptureScreenRgb());
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
}
