// GetFormat, CreateSample and the stream's bookkeeping on a true-colour
// screen.
#include "stream_fixture.h"

#include <ddstream.h>

#include <cstring>

namespace mmtest {
namespace {

using moviegen::MovieRecipe;

class FormatTest : public StreamTest {
protected:
    void SetUp() override {
        StreamTest::SetUp();
        recipe_.width = 80;
        recipe_.height = 60;
        recipe_.frames = 3;
        path_ = WriteMovie(recipe_);
    }
    MovieRecipe recipe_;
    std::string path_;
};

// The current format names the frame's size and caps, and its pixel format
// only once SetFormat set one; what it does not name stays as the caller
// filled it. The desired format always carries the screen's pixels.
TEST_F(FormatTest, CurrentFormatNamesItsPixelFormatOnceSet) {
    ASSERT_EQ(Open(path_), S_OK);
    DDSURFACEDESC current, desired{}, screen{};
    std::memset(&current, 0xA5, sizeof(current));
    current.dwSize = desired.dwSize = screen.dwSize = sizeof(DDSURFACEDESC);
    IDirectDrawPalette *palette = reinterpret_cast<IDirectDrawPalette *>(&current);
    DWORD flags = 7;
    ASSERT_EQ(ddStream_->GetFormat(&current, &palette, &desired, &flags), S_OK);
    EXPECT_EQ(palette, nullptr) << "no palette on a 32-bit screen";
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(current.dwFlags, DWORD{DDSD_WIDTH | DDSD_HEIGHT | DDSD_CAPS});
    EXPECT_EQ(current.ddsCaps.dwCaps, DWORD{DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY});
    EXPECT_EQ(current.dwWidth, 80u);
    EXPECT_EQ(current.dwHeight, 60u);
    EXPECT_EQ(current.ddpfPixelFormat.dwRGBBitCount, 0xA5A5A5A5u) << "not named, not written";
    EXPECT_EQ(current.lPitch, LONG(0xA5A5A5A5));
    ASSERT_EQ(directDraw_->GetDisplayMode(&screen), DD_OK);
    EXPECT_EQ(desired.dwFlags, DWORD{DDSD_WIDTH | DDSD_HEIGHT | DDSD_CAPS | DDSD_PIXELFORMAT});
    EXPECT_EQ(desired.ddsCaps.dwCaps, DWORD{DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY});
    EXPECT_EQ(desired.dwWidth, 80u);
    EXPECT_EQ(desired.dwHeight, 60u);
    EXPECT_EQ(desired.ddpfPixelFormat.dwRGBBitCount, screen.ddpfPixelFormat.dwRGBBitCount);
    EXPECT_EQ(desired.ddpfPixelFormat.dwRBitMask, screen.ddpfPixelFormat.dwRBitMask);
    EXPECT_EQ(desired.ddpfPixelFormat.dwBBitMask, screen.ddpfPixelFormat.dwBBitMask);
    EXPECT_EQ(ddStream_->GetFormat(nullptr, nullptr, nullptr, nullptr), S_OK) << "every output is optional";

    ASSERT_EQ(ddStream_->SetFormat(&desired, nullptr), S_OK);
    DDSURFACEDESC after{};
    after.dwSize = sizeof(after);
    ASSERT_EQ(ddStream_->GetFormat(&after, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(after.dwFlags, DWORD{DDSD_WIDTH | DDSD_HEIGHT | DDSD_CAPS | DDSD_PIXELFORMAT});
    EXPECT_EQ(after.ddpfPixelFormat.dwRGBBitCount, screen.ddpfPixelFormat.dwRGBBitCount);
}

TEST_F(FormatTest, SetFormatRefusesWhatItCannotTake) {
    ASSERT_EQ(Open(path_), S_OK);
    DDSURFACEDESC good{};
    good.dwSize = sizeof(good);
    ASSERT_EQ(ddStream_->GetFormat(nullptr, nullptr, &good, nullptr), S_OK);
    const struct {
        const char *what;
        void (*change)(DDSURFACEDESC *);
        HRESULT expected;
    } cases[] = {
        {"the format it has", [](DDSURFACEDESC *) {}, S_OK},
        {"a description of the wrong size", [](DDSURFACEDESC *d) { d->dwSize = sizeof(DDSURFACEDESC) + 4; },
         E_INVALIDARG},
        {"a pixel format of the wrong size", [](DDSURFACEDESC *d) { d->ddpfPixelFormat.dwSize = 0; },
         DDERR_INVALIDSURFACETYPE},
        {"RGB and YUV at once", [](DDSURFACEDESC *d) { d->ddpfPixelFormat.dwFlags |= DDPF_YUV; },
         DDERR_INVALIDSURFACETYPE},
        {"another width", [](DDSURFACEDESC *d) { d->dwWidth = 81; }, DDERR_INVALIDSURFACETYPE},
        {"16-bit pixels on a 32-bit screen",
         [](DDSURFACEDESC *d) {
             d->ddpfPixelFormat.dwRGBBitCount = 16;
             d->ddpfPixelFormat.dwRBitMask = 0xF800;
             d->ddpfPixelFormat.dwGBitMask = 0x07E0;
             d->ddpfPixelFormat.dwBBitMask = 0x001F;
         },
         DDERR_INVALIDSURFACETYPE},
    };
    for (const auto &c : cases) {
        DDSURFACEDESC format = good;
        c.change(&format);
        EXPECT_EQ(ddStream_->SetFormat(&format, nullptr), c.expected) << c.what;
    }
}

// Before OpenFile the stream has a default format and makes samples
// (format_before_open_test.cpp); the movie's own answers wait for a movie.
TEST_F(FormatTest, AnswersBeforeAFileIsOpen) {
    ASSERT_EQ(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                               reinterpret_cast<void **>(&mm_)),
              S_OK);
    IMediaStream *video = nullptr;
    ASSERT_EQ(mm_->AddMediaStream(directDraw_, &MSPID_PrimaryVideo, 0, &video), S_OK);
    ASSERT_EQ(video->QueryInterface(IID_IDirectDrawMediaStream, reinterpret_cast<void **>(&ddStream_)), S_OK);
    video->Release();
    DDSURFACEDESC current{};
    current.dwSize = sizeof(current);
    IDirectDrawPalette *palette = nullptr;
    EXPECT_EQ(ddStream_->GetFormat(&current, &palette, nullptr, nullptr), S_OK);
    STREAM_TIME frameTime = 0, duration = 5;
    EXPECT_EQ(ddStream_->GetTimePerFrame(&frameTime), MS_E_NOSTREAM);
    EXPECT_EQ(mm_->GetDuration(&duration), E_NOINTERFACE);
    EXPECT_EQ(duration, 5) << "left as it was";
    ASSERT_EQ(ddStream_->CreateSample(nullptr, nullptr, 0, &sample_), S_OK);
    // Gone again: the DirectDraw object cannot change while a sample exists.
    EXPECT_EQ(sample_->Release(), 0u);
    sample_ = nullptr;
    EXPECT_EQ(mm_->EnumMediaStreams(1, nullptr), S_FALSE) << "past the last stream";
    EXPECT_EQ(mm_->EnumMediaStreams(0, nullptr), E_POINTER);
    EXPECT_EQ(mm_->AddMediaStream(nullptr, &MSPID_PrimaryVideo, AMMSF_ADDDEFAULTRENDERER, nullptr), E_INVALIDARG);

    // Letting go of the DirectDraw object: none is reported until the
    // stream needs one again.
    const ULONG held = directDraw_->AddRef() - 1;
    directDraw_->Release();
    EXPECT_EQ(ddStream_->SetDirectDraw(nullptr), S_OK);
    EXPECT_EQ(directDraw_->AddRef() - 1, held - 1) << "the stream's reference dropped";
    directDraw_->Release();
    IDirectDraw *bound = directDraw_;
    EXPECT_EQ(ddStream_->GetDirectDraw(&bound), S_OK);
    EXPECT_EQ(bound, nullptr);
}

// Any of the three types is taken, once, and reported by the streams.
TEST_F(FormatTest, EachStreamTypeIsTakenAndReported) {
    for (const STREAM_TYPE type : {STREAMTYPE_READ, STREAMTYPE_WRITE, STREAMTYPE_TRANSFORM}) {
        IAMMultiMediaStream *mm = nullptr;
        ASSERT_EQ(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                                   reinterpret_cast<void **>(&mm)),
                  S_OK);
        EXPECT_EQ(mm->Initialize(type, 0, nullptr), S_OK) << type;
        IMediaStream *video = nullptr;
        ASSERT_EQ(mm->AddMediaStream(directDraw_, &MSPID_PrimaryVideo, 0, &video), S_OK);
        STREAM_TYPE reported = STREAM_TYPE(-1), videoType = STREAM_TYPE(-1);
        DWORD flags = 0;
        MSPID purpose{};
        EXPECT_EQ(mm->GetInformation(&flags, &reported), S_OK);
        EXPECT_EQ(video->GetInformation(&purpose, &videoType), S_OK);
        EXPECT_EQ(reported, type);
        EXPECT_EQ(videoType, type);
        video->Release();
        EXPECT_EQ(mm->Release(), 0u);
    }
    ASSERT_EQ(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                               reinterpret_cast<void **>(&mm_)),
              S_OK);
    EXPECT_EQ(mm_->Initialize(STREAM_TYPE(STREAMTYPE_TRANSFORM + 1), 0, nullptr), E_INVALIDARG);
}

TEST_F(FormatTest, SampleOnASurfaceOfAnotherFormatIsRefused) {
    ASSERT_EQ(Open(path_), S_OK);
    DDSURFACEDESC other{};
    other.dwSize = sizeof(other);
    other.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_CAPS | DDSD_PIXELFORMAT;
    other.dwWidth = 80;
    other.dwHeight = 60;
    other.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    other.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    other.ddpfPixelFormat.dwFlags = DDPF_RGB;
    other.ddpfPixelFormat.dwRGBBitCount = 16;
    other.ddpfPixelFormat.dwRBitMask = 0xF800;
    other.ddpfPixelFormat.dwGBitMask = 0x07E0;
    other.ddpfPixelFormat.dwBBitMask = 0x001F;
    ASSERT_EQ(directDraw_->CreateSurface(&other, &surface_, nullptr), DD_OK);
    RECT rect{0, 0, 80, 60};
    EXPECT_EQ(ddStream_->CreateSample(surface_, &rect, 0, &sample_), DDERR_INVALIDSURFACETYPE);
    EXPECT_EQ(sample_, nullptr);
    // 32 bits with alpha are not the screen's 32 bits.
    other.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_ALPHAPIXELS;
    other.ddpfPixelFormat.dwRGBBitCount = 32;
    other.ddpfPixelFormat.dwRBitMask = 0xFF0000;
    other.ddpfPixelFormat.dwGBitMask = 0x00FF00;
    other.ddpfPixelFormat.dwBBitMask = 0x0000FF;
    other.ddpfPixelFormat.dwRGBAlphaBitMask = 0xFF000000;
    IDirectDrawSurface *withAlpha = nullptr;
    ASSERT_EQ(directDraw_->CreateSurface(&other, &withAlpha, nullptr), DD_OK);
    EXPECT_EQ(ddStream_->CreateSample(withAlpha, &rect, 0, &sample_), DDERR_INVALIDSURFACETYPE);
    withAlpha->Release();
}

TEST_F(FormatTest, RectangleOfAnotherSizeIsRefused) {
    ASSERT_EQ(Open(path_), S_OK);
    MakeSample();
    IDirectDrawStreamSample *other = nullptr;
    RECT smaller{0, 0, 40, 30}, outside{10, 10, 90, 70};
    EXPECT_EQ(ddStream_->CreateSample(surface_, &smaller, 0, &other), DDERR_INVALIDRECT);
    EXPECT_EQ(ddStream_->CreateSample(surface_, &outside, 0, &other), DDERR_INVALIDRECT);
    EXPECT_EQ(sample_->SetRect(&smaller), DDERR_INVALIDRECT);
    EXPECT_EQ(other, nullptr);
}

// A null surface with a null rectangle: the stream makes the surface.
TEST_F(FormatTest, SampleWithoutSurfaceMakesOne) {
    ASSERT_EQ(Open(path_), S_OK);
    ASSERT_EQ(ddStream_->CreateSample(nullptr, nullptr, 0, &sample_), S_OK);
    RECT rect{};
    ASSERT_EQ(sample_->GetSurface(&surface_, &rect), S_OK);
    ASSERT_NE(surface_, nullptr);
    EXPECT_EQ(rect.right, 80);
    EXPECT_EQ(rect.bottom, 60);
    width_ = 80, height_ = 60;
    ASSERT_EQ(UpdateNow(), S_OK);
    EXPECT_EQ(SurfaceRgb24(), moviegen::FrameRgb24(recipe_, 0));
}

TEST_F(FormatTest, StreamsAnswerForThemselves) {
    ASSERT_EQ(Open(path_), S_OK);
    MakeSample();
    IMediaStream *stream = nullptr;
    EXPECT_EQ(mm_->GetMediaStream(MSPID_PrimaryAudio, &stream), MS_E_NOSTREAM);
    EXPECT_EQ(mm_->GetMediaStream(MSPID_PrimaryVideo, nullptr), E_POINTER);
    ASSERT_EQ(mm_->EnumMediaStreams(0, &stream), S_OK);
    EXPECT_EQ(static_cast<IUnknown *>(stream), static_cast<IUnknown *>(static_cast<IMediaStream *>(ddStream_)));
    stream->Release();
    EXPECT_EQ(mm_->EnumMediaStreams(1, &stream), S_FALSE);
    MSPID purpose{};
    STREAM_TYPE type = STREAMTYPE_WRITE;
    EXPECT_EQ(ddStream_->GetInformation(&purpose, &type), S_OK);
    EXPECT_TRUE(purpose == MSPID_PrimaryVideo);
    EXPECT_EQ(type, STREAMTYPE_READ);
    IDirectDraw *bound = nullptr;
    ASSERT_EQ(ddStream_->GetDirectDraw(&bound), S_OK);
    EXPECT_EQ(bound, directDraw_);
    bound->Release();
    IUnknown *unknown = nullptr;
    EXPECT_EQ(sample_->QueryInterface(IID_IDirectDrawMediaStream, reinterpret_cast<void **>(&unknown)), E_NOINTERFACE);
    EXPECT_EQ(mm_->QueryInterface(IID_IMultiMediaStream, reinterpret_cast<void **>(&unknown)), S_OK);
    unknown->Release();
    EXPECT_EQ(mm_->Initialize(STREAMTYPE_READ, 0, nullptr), S_OK) << "again with the same type";
    EXPECT_EQ(mm_->Initialize(STREAMTYPE_WRITE, 0, nullptr), E_INVALIDARG) << "the type is set once";
}

}  // namespace
}  // namespace mmtest
