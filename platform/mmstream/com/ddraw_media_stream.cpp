#include "mmstream/com/ddraw_media_stream.h"

#include <new>

#include "mmstream/com/ddraw_stream_sample.h"
#include "mmstream/palette/fixed_palette.h"
#include "mmstream/com/multimedia_stream.h"
#include "mmstream/paint/pixel_formats.h"

namespace standin::mmstream {

DdrawMediaStream::DdrawMediaStream(MultimediaStream &owner, IDirectDraw *directDraw)
    : owner_(owner), directDraw_(directDraw) {
    directDraw_->AddRef();
}

DdrawMediaStream::~DdrawMediaStream() {
    if (palette_) palette_->Release();
    if (directDraw_) directDraw_->Release();
}

// After SetDirectDraw(NULL) the stream makes an object of its own when it
// next needs one, as it does when added without one. The caller gets a
// reference of its own: the object may be the host's, and is called with
// no lock of the stream held.
HRESULT DdrawMediaStream::HeldDirectDraw(ComRef<IDirectDraw> *held) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!directDraw_) {
        const HRESULT hr = DirectDrawCreate(nullptr, &directDraw_, nullptr);
        if (FAILED(hr)) {
            directDraw_ = nullptr;
            return hr;
        }
    }
    directDraw_->AddRef();
    held->adopt(directDraw_);
    return S_OK;
}

HRESULT DdrawMediaStream::QueryInterface(REFIID riid, void **out) {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IMediaStream || riid == IID_IDirectDrawMediaStream) {
        *out = static_cast<IDirectDrawMediaStream *>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG DdrawMediaStream::AddRef() { return owner_.AddRef(); }

ULONG DdrawMediaStream::Release() { return owner_.Release(); }

HRESULT DdrawMediaStream::GetMultiMediaStream(IMultiMediaStream **stream) {
    if (!stream) return E_POINTER;
    *stream = &owner_;
    owner_.AddRef();
    return S_OK;
}

HRESULT DdrawMediaStream::GetInformation(MSPID *purpose, STREAM_TYPE *type) {
    if (purpose) *purpose = MSPID_PrimaryVideo;
    if (type) *type = owner_.Type();
    return S_OK;
}

HRESULT DdrawMediaStream::SetSameFormat(IMediaStream *, DWORD) { return E_NOTIMPL; }

HRESULT DdrawMediaStream::AllocateSample(DWORD, IStreamSample **sample) {
    if (!sample) return E_POINTER;
    *sample = nullptr;
    IDirectDrawStreamSample *made = nullptr;
    const HRESULT hr = CreateSample(nullptr, nullptr, 0, &made);
    if (FAILED(hr)) return hr;
    *sample = made;
    return S_OK;
}

HRESULT DdrawMediaStream::CreateSharedSample(IStreamSample *, DWORD, IStreamSample **sample) {
    if (sample) *sample = nullptr;
    return E_NOTIMPL;
}

HRESULT DdrawMediaStream::SendEndOfStream(DWORD) { return E_NOTIMPL; }

HRESULT DdrawMediaStream::CurrentFormat(DDSURFACEDESC *format, bool *open) {
    MovieInfo movie;
    const bool opened = owner_.OpenMovie(&movie, nullptr);
    if (open) *open = opened;
    DDSURFACEDESC screen{};
    screen.dwSize = sizeof(screen);
    ComRef<IDirectDraw> directDraw;
    HRESULT hr = HeldDirectDraw(&directDraw);
    if (FAILED(hr)) return hr;
    hr = directDraw->GetDisplayMode(&screen);
    if (FAILED(hr)) return hr;
    std::lock_guard<std::mutex> lock(mutex_);
    *format = format_.Current(opened ? &movie : nullptr, screen.ddpfPixelFormat);
    return S_OK;
}

// A palettized movie shows its own colours; a true-colour one is mapped to
// the fixed palette.
HRESULT DdrawMediaStream::Palette(IDirectDrawPalette **palette) {
    MovieInfo movie;
    if (!owner_.OpenMovie(&movie, nullptr)) return S_FALSE;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (palette_) {
            *palette = palette_;
            palette_->AddRef();
            return S_OK;
        }
    }
    const std::array<uint32_t, 256> &colours = movie.palettized ? movie.palette : FixedPalette();
    PALETTEENTRY entries[256];
    for (int i = 0; i < 256; ++i)
        entries[i] = {static_cast<BYTE>(colours[i] >> 16), static_cast<BYTE>(colours[i] >> 8),
                      static_cast<BYTE>(colours[i]), 0};
    ComRef<IDirectDraw> directDraw;
    HRESULT hr = HeldDirectDraw(&directDraw);
    IDirectDrawPalette *made = nullptr;
    if (SUCCEEDED(hr)) hr = directDraw->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &made, nullptr);
    if (FAILED(hr)) return hr;
    {
        // Made with no lock held: another call may have made one meanwhile.
        std::lock_guard<std::mutex> lock(mutex_);
        if (!palette_) {
            palette_ = made;
            made = nullptr;
        }
        *palette = palette_;
        palette_->AddRef();
    }
    if (made) made->Release();
    return S_OK;
}

// Only the members the flags name are written: the caller's others stay
// as they were. The current format names its pixel format only once
// SetFormat has set one; the desired format always does.
HRESULT DdrawMediaStream::GetFormat(DDSURFACEDESC *current, IDirectDrawPalette **palette, DDSURFACEDESC *desired,
                                    DWORD *flags) {
    if (palette) *palette = nullptr;
    if (current && current->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    if (desired && desired->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    DDSURFACEDESC format;
    HRESULT hr = CurrentFormat(&format);
    if (FAILED(hr)) return hr;
    if (palette && IsPalettized(format.ddpfPixelFormat)) {
        hr = Palette(palette);
        if (FAILED(hr)) return hr;
    }
    const auto describe = [&format](DDSURFACEDESC *out, bool withPixelFormat) {
        out->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_CAPS | (withPixelFormat ? DDSD_PIXELFORMAT : 0);
        out->dwWidth = format.dwWidth;
        out->dwHeight = format.dwHeight;
        out->ddsCaps = format.ddsCaps;
        if (withPixelFormat) out->ddpfPixelFormat = format.ddpfPixelFormat;
    };
    if (current) {
        std::lock_guard<std::mutex> lock(mutex_);
        describe(current, format_.PixelFormatSet());
    }
    if (desired) describe(desired, true);
    if (flags) *flags = 0;
    return S_OK;
}

// Before a movie is open the stream takes the formats it can paint (and
// 4-bit palettized ones, whose samples it then cannot update) at any
// size; once open, only the movie's size on the current pixel format.
// Setting a pixel format makes GetFormat report it.
HRESULT DdrawMediaStream::SetFormat(const DDSURFACEDESC *format, IDirectDrawPalette *) {
    if (!format) return E_POINTER;
    DDSURFACEDESC current;
    bool open = false;
    const HRESULT hr = CurrentFormat(&current, &open);
    if (FAILED(hr)) return hr;
    std::lock_guard<std::mutex> lock(mutex_);
    return format_.Set(*format, current, open);
}

HRESULT DdrawMediaStream::GetDirectDraw(IDirectDraw **directDraw) {
    if (!directDraw) return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    *directDraw = directDraw_;
    if (directDraw_) directDraw_->AddRef();
    return S_OK;
}

// NULL lets go of the object.
HRESULT DdrawMediaStream::SetDirectDraw(IDirectDraw *directDraw) {
    ComRef<IDirectDraw> previous;
    ComRef<IDirectDrawPalette> previousPalette;  // made by the old object
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (directDraw == directDraw_) return S_OK;
        if (samples_ > 0) return MS_E_SAMPLEALLOC;
        if (directDraw) directDraw->AddRef();
        previous.adopt(directDraw_);
        previousPalette.adopt(palette_);
        directDraw_ = directDraw;
        palette_ = nullptr;
    }
    return S_OK;  // the old references go with no lock held
}

// Before a movie is open a rectangle may have any size inside its surface:
// frames are scaled into it once they come. Once open it has the frame
// size.
HRESULT DdrawMediaStream::CreateSample(IDirectDrawSurface *surface, const RECT *rect, DWORD,
                                       IDirectDrawStreamSample **sample) {
    if (!sample) return E_POINTER;
    *sample = nullptr;
    if (rect && (rect->right <= rect->left || rect->bottom <= rect->top)) return E_INVALIDARG;
    if (!surface && rect) return E_INVALIDARG;  // a rectangle needs a surface to lie in
    DDSURFACEDESC format;
    bool open = false;
    HRESULT hr = CurrentFormat(&format, &open);
    if (FAILED(hr)) return hr;

    if (surface) {
        surface->AddRef();
    } else {
        ComRef<IDirectDraw> directDraw;
        hr = HeldDirectDraw(&directDraw);
        if (SUCCEEDED(hr)) hr = directDraw->CreateSurface(&format, &surface, nullptr);
        if (FAILED(hr)) return hr;
    }
    DDSURFACEDESC surfaceFormat;
    hr = DescribeSurface(surface, &surfaceFormat);
    if (SUCCEEDED(hr) && !SamePixelFormat(surfaceFormat.ddpfPixelFormat, format.ddpfPixelFormat))
        hr = DDERR_INVALIDSURFACETYPE;
    const RECT whole{0, 0, static_cast<LONG>(surfaceFormat.dwWidth), static_cast<LONG>(surfaceFormat.dwHeight)};
    const RECT target = rect ? *rect : whole;
    if (SUCCEEDED(hr) && !(open ? FrameFits(target, format, surfaceFormat) : RectInside(target, surfaceFormat)))
        hr = DDERR_INVALIDRECT;
    if (SUCCEEDED(hr)) {
        *sample = new (std::nothrow) DdrawStreamSample(*this, surface, target, surfaceFormat);
        if (!*sample) hr = E_OUTOFMEMORY;
    }
    surface->Release();  // the sample holds its own reference
    return hr;
}

HRESULT DdrawMediaStream::GetTimePerFrame(STREAM_TIME *frameTime) {
    if (!frameTime) return E_POINTER;
    MovieInfo movie;
    if (!owner_.OpenMovie(&movie, nullptr)) return MS_E_NOSTREAM;
    *frameTime = movie.timePerFrame;
    return S_OK;
}

void DdrawMediaStream::SampleCreated() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++samples_;
}

void DdrawMediaStream::SampleGone() {
    std::lock_guard<std::mutex> lock(mutex_);
    --samples_;
}

}  // namespace standin::mmstream
