// The video stream before OpenFile, on a 32-bit screen: the formats it
// takes, the samples it makes, and what those samples get once a movie is
// open.
#include "stream_fixture.h"

#include <ddstream.h>

namespace mmtest {
namespace {

using moviegen::MovieRecipe;

DDPIXELFORMAT Rgb(DWORD bits, DWORD red, DWORD green, DWORD blue) {
    DDPIXELFORMAT format{};
    format.dwSize = sizeof(format);
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = bits;
    format.dwRBitMask = red, format.dwGBitMask = green, format.dwBBitMask = blue;
    return format;
}

DDPIXELFORMAT Palettized(DWORD flags, DWORD bits) {
    DDPIXELFORMAT format{};
    format.dwSize = sizeof(format);
    format.dwFlags = flags;
    format.dwRGBBitCount = bits;
    return format;
}

DDPIXELFORMAT WithAlpha() {
    DDPIXELFORMAT format = Rgb(32, 0xFF0000, 0xFF00, 0xFF);
    format.dwFlags |= DDPF_ALPHAPIXELS;
    format.dwRGBAlphaBitMask = 0xFF000000;
    return format;
}

DDPIXELFORMAT Yuy2() {
    DDPIXELFORMAT format{};
    format.dwSize = sizeof(format);
    format.dwFlags = DDPF_FOURCC;
    format.dwFourCC = 0x32595559;  // 'YUY2'
    return format;
}

class FormatBeforeOpenTest : public StreamTest {
protected:
    // An initialized stream with a video stream and no movie.
    void AddVideo() {
        ASSERT_EQ(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                                   reinterpret_cast<void **>(&mm_)),
                  S_OK);
        ASSERT_EQ(mm_->Initialize(STREAMTYPE_READ, 0, nullptr), S_OK);
        IMediaStream *video = nullptr;
        ASSERT_EQ(mm_->AddMediaStream(directDraw_, &MSPID_PrimaryVideo, 0, &video), S_OK);
        ASSERT_EQ(video->QueryInterface(IID_IDirectDrawMediaStream, reinterpret_cast<void **>(&ddStream_)), S_OK);
        video->Release();
    }
    // The sample's surface as surface_, its size as width_ x height_.
    DDSURFACEDESC SampleSurface() {
        RECT rect{};
        EXPECT_EQ(sample_->GetSurface(&surface_, &rect), S_OK);
        DDSURFACEDESC described{};
        described.dwSize = sizeof(described);
        EXPECT_EQ(surface_->GetSurfaceDesc(&described), DD_OK);
        width_ = rect.right - rect.left, height_ = rect.bottom - rect.top;
        return described;
    }
};

struct FormatCase {
    const char *what;
    DWORD flags;  // of the description given to SetFormat
    DWORD width, height;
    DDPIXELFORMAT pixels;
    HRESULT set;     // SetFormat's answer
    HRESULT sample;  // CreateSample(NULL, NULL)'s
    DWORD bits;      // of the sample's surface (32 when nothing was set)
    DWORD surfaceWidth, surfaceHeight;
};

// What SetFormat takes decides the surfaces CreateSample makes, and what
// GetFormat's current format names.
TEST_F(FormatBeforeOpenTest, SetFormatDecidesTheSamplesSurface) {
    constexpr DWORD kPixels = DDSD_PIXELFORMAT, kSize = DDSD_WIDTH | DDSD_HEIGHT;
    const FormatCase cases[] = {
        {"nothing set: the screen's pixels", 0, 0, 0, {}, S_OK, S_OK, 32, 100, 100},
        {"8-bit palettized", kPixels, 0, 0, Palettized(DDPF_RGB | DDPF_PALETTEINDEXED8, 8), S_OK, S_OK, 8, 100, 100},
        {"8-bit without DDPF_RGB", kPixels, 0, 0, Palettized(DDPF_PALETTEINDEXED8, 8), S_OK, S_OK, 8, 100, 100},
        {"4-bit palettized", kPixels, 0, 0, Palettized(DDPF_RGB | DDPF_PALETTEINDEXED4, 4), S_OK, S_OK, 4, 100, 100},
        {"565", kPixels, 0, 0, Rgb(16, 0xF800, 0x07E0, 0x001F), S_OK, S_OK, 16, 100, 100},
        {"555: DirectDraw makes no such surface", kPixels, 0, 0, Rgb(16, 0x7C00, 0x03E0, 0x001F), S_OK,
         DDERR_INVALIDPIXELFORMAT, 0, 0, 0},
        {"24-bit", kPixels, 0, 0, Rgb(24, 0xFF0000, 0xFF00, 0xFF), S_OK, S_OK, 24, 100, 100},
        {"32-bit", kPixels, 0, 0, Rgb(32, 0xFF0000, 0xFF00, 0xFF), S_OK, S_OK, 32, 100, 100},
        {"a size and 565", kPixels | kSize, 333, 444, Rgb(16, 0xF800, 0x07E0, 0x001F), S_OK, S_OK, 16, 333, 444},
        {"a size alone", kSize, 64, 48, {}, S_OK, S_OK, 32, 64, 48},
        {"alpha", kPixels, 0, 0, WithAlpha(), DDERR_INVALIDSURFACETYPE, S_OK, 32, 100, 100},
        {"YUY2", kPixels, 0, 0, Yuy2(), DDERR_INVALIDSURFACETYPE, S_OK, 32, 100, 100},
        {"565 with reversed masks", kPixels, 0, 0, Rgb(16, 0x001F, 0x07E0, 0xF800), DDERR_INVALIDSURFACETYPE, S_OK,
         32, 100, 100},
        {"a zero width", kSize, 0, 48, {}, DDERR_INVALIDSURFACETYPE, S_OK, 32, 100, 100},
    };
    for (const FormatCase &c : cases) {
        SCOPED_TRACE(c.what);
        AddVideo();
        if (c.flags) {
            DDSURFACEDESC format{};
            format.dwSize = sizeof(format);
            format.dwFlags = c.flags;
            format.dwWidth = c.width, format.dwHeight = c.height;
            format.ddpfPixelFormat = c.pixels;
            EXPECT_EQ(ddStream_->SetFormat(&format, nullptr), c.set);
        }
        DDSURFACEDESC current{};
        current.dwSize = sizeof(current);
        ASSERT_EQ(ddStream_->GetFormat(&current, nullptr, nullptr, nullptr), S_OK);
        const bool pixelsSet = (c.flags & kPixels) && c.set == S_OK;
        EXPECT_EQ(current.dwFlags, DWORD{DDSD_WIDTH | DDSD_HEIGHT | DDSD_CAPS} | (pixelsSet ? kPixels : 0));
        EXPECT_EQ(ddStream_->CreateSample(nullptr, nullptr, 0, &sample_), c.sample);
        if (sample_) {
            const DDSURFACEDESC surface = SampleSurface();
            EXPECT_EQ(surface.ddpfPixelFormat.dwRGBBitCount, c.bits);
            EXPECT_EQ(surface.dwWidth, c.surfaceWidth);
            EXPECT_EQ(surface.dwHeight, c.surfaceHeight);
            EXPECT_EQ(current.dwWidth, c.surfaceWidth) << "GetFormat reports the sample's size";
        }
        FreeRecord();
    }
}

TEST_F(FormatBeforeOpenTest, RefusesWhatIsMalformed) {
    AddVideo();
    DDSURFACEDESC format{};
    EXPECT_EQ(ddStream_->GetFormat(&format, nullptr, nullptr, nullptr), DDERR_INVALIDPARAMS) << "dwSize 0";
    EXPECT_EQ(ddStream_->SetFormat(&format, nullptr), E_INVALIDARG) << "dwSize 0";
    RECT empty{10, 10, 10, 20};
    EXPECT_EQ(ddStream_->CreateSample(nullptr, &empty, 0, &sample_), E_INVALIDARG);
    format.dwSize = sizeof(format);
    ASSERT_EQ(ddStream_->GetFormat(nullptr, nullptr, &format, nullptr), S_OK);
    ASSERT_EQ(directDraw_->CreateSurface(&format, &surface_, nullptr), DD_OK);
    EXPECT_EQ(ddStream_->CreateSample(surface_, &empty, 0, &sample_), E_INVALIDARG);
    RECT outside{50, 50, 150, 150};
    EXPECT_EQ(ddStream_->CreateSample(surface_, &outside, 0, &sample_), DDERR_INVALIDRECT);
    EXPECT_EQ(sample_, nullptr);
}

struct PlayCase {
    const char *what;
    DDPIXELFORMAT pixels;  // set before OpenFile; none when dwSize is 0
    HRESULT update;        // the first update's answer after OpenFile
};

// A sample made before OpenFile answers as a stopped stream's until the
// movie runs; then it gets the movie's frames, scaled from 200x200 into
// its 100x100, or refuses at once a surface frames cannot go into. It
// holds the streams as any sample does.
TEST_F(FormatBeforeOpenTest, SampleMadeBeforeOpenGetsTheMoviesFrames) {
    MovieRecipe recipe;
    recipe.width = recipe.height = 200;
    recipe.frames = 3;
    const std::string path = WriteMovie(recipe);
    const PlayCase cases[] = {
        {"the screen's pixels", {}, S_OK},
        {"24-bit on a 32-bit screen", Rgb(24, 0xFF0000, 0xFF00, 0xFF), S_OK},
        {"4-bit", Palettized(DDPF_RGB | DDPF_PALETTEINDEXED4, 4), DDERR_INVALIDSURFACETYPE},
    };
    for (const PlayCase &c : cases) {
        SCOPED_TRACE(c.what);
        AddVideo();
        if (c.pixels.dwSize) {
            DDSURFACEDESC format{};
            format.dwSize = sizeof(format);
            format.dwFlags = DDSD_PIXELFORMAT;
            format.ddpfPixelFormat = c.pixels;
            ASSERT_EQ(ddStream_->SetFormat(&format, nullptr), S_OK);
        }
        ASSERT_EQ(ddStream_->CreateSample(nullptr, nullptr, 0, &sample_), S_OK);
        SampleSurface();
        EXPECT_EQ(sample_->Update(0, nullptr, nullptr, 0), MS_E_NOTRUNNING);
        ASSERT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
        EXPECT_EQ(sample_->Update(0, nullptr, nullptr, 0), MS_E_NOTRUNNING) << "running, but nothing open";
        EXPECT_EQ(sample_->CompletionStatus(0, 0), S_OK);

        ASSERT_EQ(mm_->OpenFile(Widen(path).c_str(), 0), S_OK);
        DDSURFACEDESC current{};
        current.dwSize = sizeof(current);
        ASSERT_EQ(ddStream_->GetFormat(nullptr, nullptr, &current, nullptr), S_OK);
        EXPECT_EQ(current.dwWidth, 200u) << "the movie's size once open";
        EXPECT_EQ(current.ddpfPixelFormat.dwRGBBitCount, c.pixels.dwSize ? c.pixels.dwRGBBitCount : 32);
        EXPECT_EQ(UpdateNow(), c.update);
        if (c.update == S_OK) {
            EXPECT_EQ(ShownFrame(), 0);
            EXPECT_EQ(UpdateNow(), S_OK);
            EXPECT_EQ(ShownFrame(), 1);
        }
        // The host lets go of the streams first: the sample holds them.
        mm_->SetState(STREAMSTATE_STOP);
        ddStream_->Release();
        EXPECT_EQ(mm_->Release(), 0u);
        ddStream_ = nullptr, mm_ = nullptr;
        FreeRecord();
    }
}

}  // namespace
}  // namespace mmtest
