// GetFormat, CreateSample and the stream's bookkeeping on a true-colour
// screen.
#include "stream_fixture.h"

#include <ddstream.h>

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

TEST_F(FormatTest, CurrentFormatIsTheFrameOnScreenPixels) {
    ASSERT_EQ(Open(path_), S_OK);
    DDSURFACEDESC current{}, desired{}, screen{};
    current.dwSize = desired.dwSize = screen.dwSize = sizeof(DDSURFACEDESC);
    current.dwFlags = desired.dwFlags = DDSD_ALL;
    IDirectDrawPalette *palette = reinterpret_cast<IDirectDrawPalette *>(&current);
    DWORD flags = 7;
    ASSERT_EQ(ddStream_->GetFormat(&current, &palette, &desired, &flags), S_OK);
    EXPECT_EQ(palette, nullptr) << "no palette on a 32-bit screen";
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(current.dwFlags, DWORD{DDSD_WIDTH | DDSD_HEIGHT | DDSD_CAPS | DDSD_PIXELFORMAT});
    EXPECT_EQ(current.ddsCaps.dwCaps, DWORD{DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY});
    EXPECT_EQ(current.dwWidth, 80u);
    EXPECT_EQ(current.dwHeight, 60u);
    ASSERT_EQ(directDraw_->GetDisplayMode(&screen), DD_OK);
    EXPECT_EQ(current.ddpfPixelFormat.dwRGBBitCount, screen.ddpfPixelFormat.dwRGBBitCount);
    EXPECT_EQ(current.ddpfPixelFormat.dwRBitMask, screen.ddpfPixelFormat.dwRBitMask);
    EXPECT_EQ(current.ddpfPixelFormat.dwBBitMask, screen.ddpfPixelFormat.dwBBitMask);
    EXPECT_EQ(desired.dwFlags, DWORD{DDSD_WIDTH | DDSD_HEIGHT});
    EXPECT_EQ(desired.dwWidth, 80u);
    EXPECT_EQ(desired.dwHeight, 60u);
    EXPECT_EQ(ddStream_->GetFormat(nullptr, nullptr, nullptr, nullptr), S_OK) << "every output is optional";
}

TEST_F(FormatTest, NothingToDescribeBeforeAFileIsOpen) {
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
    EXPECT_EQ(ddStream_->GetFormat(&current, &palette, nullptr, nullptr), MS_E_NOSTREAM);
    STREAM_TIME frameTime = 0, duration = 5;
    EXPECT_EQ(ddStream_->GetTimePerFrame(&frameTime), MS_E_NOSTREAM);
    EXPECT_EQ(mm_->GetDuration(&duration), S_FALSE);
    EXPECT_EQ(duration, 0);
    EXPECT_EQ(ddStream_->CreateSample(nullptr, nullptr, 0, &sample_), MS_E_NOSTREAM);
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
    EXPECT_EQ(mm_->Initialize(STREAMTYPE_WRITE, 0, nullptr), E_INVALIDARG);
}

}  // namespace
}  // namespace mmtest
