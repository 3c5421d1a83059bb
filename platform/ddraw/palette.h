// IDirectDrawPalette: a 256-entry colour table, shared between threads
// (a decoder may change it while the host reads it).
#pragma once

#include <memory>
#include <mutex>

#include <ddraw.h>

#include "common/com_object.h"

namespace standin {

class Screen;

class Palette final : public ComObject<IDirectDrawPalette> {
public:
    // The CreatePalette checks: DD_OK and a new palette (one reference) in
    // *out, or the error for the flags or arguments.
    static HRESULT Create(DWORD flags, const PALETTEENTRY *table, IDirectDrawPalette **out);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override;
    HRESULT STDMETHODCALLTYPE GetCaps(LPDWORD caps) override;
    HRESULT STDMETHODCALLTYPE GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY entries) override;
    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTDRAW, DWORD, LPPALETTEENTRY) override {
        return DDERR_ALREADYINITIALIZED;
    }
    HRESULT STDMETHODCALLTYPE SetEntries(DWORD flags, DWORD first, DWORD count, LPPALETTEENTRY entries) override;

private:
    Palette(DWORD caps, const PALETTEENTRY *table);

    static constexpr DWORD kEntries = 256;
    const DWORD caps_;
    std::shared_ptr<Screen> screen_;
    std::mutex mutex_;
    PALETTEENTRY entries_[kEntries];
};

}  // namespace standin
