// The video stream before OpenFile, on a 32-bit screen: the formats it
// takes, the samples it makes, and what those samples get once a movie is
// open.
#include "stream_fixture.h"

#include <ddstream.h>

namespace mmtest {
namespace {

using moviegen::MovieRecipe;

DDPIXELFORMAT Pixels(DWORD flags, DWORD bits, DWORD red = 0, DWORD green = 0, DWORD blue = 0) {
    DDPIXELFORMAT format{};
    format.dwSize = sizeof(format);
    format.dwFlags = flags, format.dwRGBBitCount = bits;
    format.dwRBitMask = red, format.dwGBitMask = green, format.dwBBitMask = blue;
    if (flags & DDPF_ALPHAPIXELS) format.dwRGBAlphaBitMask = 0xFF000000;
    if (flags & DDPF_FOURCC) format.dwFourCC = 0x32595559;  // 'YUY2'
    return format;
}

class FormatBeforeOpenTest : public StreamTest {};

struct FormatCase {
    const char *what;
    DWORD flags;  // of the description given to SetFormat
    DWORD width, height;
    DDPIXELFORMAT pixels;
    HRESULT set;     // SetFormat's answer
    HRESULT sample;  // CreateSample(NULL, NULL)'s
    DWORD bits;      // of the sample's surface
    LONG surfaceWidth, surfaceHeight;
    HRESULT update;  // the first update's once a 200x200 movie is open and running
};

// What SetFormat takes before OpenFile decides GetFormat's answer and the
// surface CreateSample makes; once the movie runs, that sample gets its
// frames scaled into the surface, or refuses at once a surface frames
// cannot go into. Until then it answers as a stopped stream's, and it
// holds the streams as any sample does.
TEST_F(FormatBeforeOpenTest, SetFormatDecidesTheSamplesAndTheirFrames) {
    MovieRecipe recipe;
    recipe.width = recipe.height = 200;
    recipe.frames = 3;
    const std::string path = WriteMovie(recipe);
    constexpr DWORD kPixels = DDSD_PIXELFORMAT, kSize = DDSD_WIDTH | DDSD_HEIGHT, kRgb = DDPF_RGB;
    const FormatCase cases[] = {
        {"nothing set: the screen's pixels", 0, 0, 0, {}, S_OK, S_OK, 32, 100, 100, S_OK},
        {"8-bit without DDPF_RGB", kPixels, 0, 0, Pixels(DDPF_PALETTEINDEXED8, 8), S_OK, S_OK, 8, 100, 100, S_OK},
        {"4-bit", kPixels, 0, 0, Pixels(kRgb | DDPF_PALETTEINDEXED4, 4), S_OK, S_OK, 4, 100, 100,
         DDERR_INVALIDSURFACETYPE},
        {"565 and a size", kPixels | kSize, 333, 444, Pixels(kRgb, 16, 0xF800, 0x07E0, 0x001F), S_OK, S_OK, 16, 333,
         444, S_OK},
        {"555: DirectDraw makes none", kPixels, 0, 0, Pixels(kRgb, 16, 0x7C00, 0x03E0, 0x001F), S_OK,
         DDERR_INVALIDPIXELFORMAT, 0, 0, 0, S_OK},
        {"24-bit", kPixels, 0, 0, Pixels(kRgb, 24, 0xFF0000, 0xFF00, 0xFF), S_OK, S_OK, 24, 100, 100, S_OK},
        {"alpha", kPixels, 0, 0, Pixels(kRgb | DDPF_ALPHAPIXELS, 32, 0xFF0000, 0xFF00, 0xFF),
         DDERR_INVALIDSURFACETYPE, S_OK, 32, 100, 100, S_OK},
        {"YUY2", kPixels, 0, 0, Pixels(DDPF_FOURCC, 16), DDERR_INVALIDSURFACETYPE, S_OK, 32, 100, 100, S_OK},
        {"a zero width", kSize, 0, 48, {}, DDERR_INVALIDSURFACETYPE, S_OK, 32, 100, 100, S_OK},
    };
    for (const FormatCase &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                                   reinterpret_cast<void **>(&mm_)),
                  S_OK);
        ASSERT_EQ(mm_->Initialize(STREAMTYPE_READ, 0, nullptr), S_OK);
        IMediaStream *video = nullptr;
        ASSERT_EQ(mm_->AddMediaStream(directDraw_, &MSPID_PrimaryVideo, 0, &video), S_OK);
        ASSERT_EQ(video->QueryInterface(IID_IDirectDrawMediaStream, reinterpret_cast<void **>(&ddStream_)), S_OK);
        video->Release();
        DDSURFACEDESC format{};
        EXPECT_EQ(ddStream_->GetFormat(&format, nullptr, nullptr, nullptr), DDERR_INVALIDPARAMS) << "dwSize 0";
        format.dwSize = sizeof(format);
        format.dwFlags = c.flags, format.dwWidth = c.width, format.dwHeight = c.height;
        format.ddpfPixelFormat = c.pixels;
        EXPECT_EQ(ddStream_->SetFormat(&format, nullptr), c.flags ? c.set : S_OK);
        DDSURFACEDESC current{};
        current.dwSize = sizeof(current);
        ASSERT_EQ(ddStream_->GetFormat(&current, nullptr, nullptr, nullptr), S_OK);
        const DWORD named = (c.flags & kPixels) && c.set == S_OK ? kPixels : 0;
        EXPECT_EQ(current.dwFlags, DWORD{DDSD_WIDTH | DDSD_HEIGHT | DDSD_CAPS} | named);
        const RECT empty{10, 10, 10, 20};
        EXPECT_EQ(ddStream_->CreateSample(nullptr, &empty, 0, &sample_), E_INVALIDARG);
        EXPECT_EQ(ddStream_->CreateSample(nullptr, nullptr, 0, &sample_), c.sample);
        if (sample_) {
            RECT rect{};
            ASSERT_EQ(sample_->GetSurface(&surface_, &rect), S_OK);
            EXPECT_EQ(surface_->GetSurfaceDesc(&current), DD_OK);
            EXPECT_EQ(current.ddpfPixelFormat.dwRGBBitCount, c.bits);
            EXPECT_EQ(rect.right, c.surfaceWidth);
            EXPECT_EQ(rect.bottom, c.surfaceHeight);
            width_ = rect.right, height_ = rect.bottom;
            EXPECT_EQ(mm_->SetState(STREAMSTATE_RUN), S_OK);
            EXPECT_EQ(sample_->Update(0, nullptr, nullptr, 0), MS_E_NOTRUNNING) << "running, nothing open";
            ASSERT_EQ(mm_->OpenFile(Widen(path).c_str(), 0), S_OK);
            EXPECT_EQ(UpdateNow(), c.update);
            if (c.update == S_OK && c.bits >= 24) {
                EXPECT_EQ(ShownFrame(), 0) << "scaled into the surface";
            }
            // The host lets go of the streams first: the sample holds them.
            mm_->SetState(STREAMSTATE_STOP);
            ddStream_->Release(), ddStream_ = nullptr;
            EXPECT_EQ(mm_->Release(), 0u);
            mm_ = nullptr;
        }
        FreeRecord();
    }
}

}  // namespace
}  // namespace mmtest
