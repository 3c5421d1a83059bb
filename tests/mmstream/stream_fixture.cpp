#include "stream_fixture.h"

#include <ddstream.h>

namespace mmtest {

std::string KindTestName(const testing::TestParamInfo<moviegen::Kind> &info) {
    std::string name = moviegen::KindName(info.param);
    for (char &c : name)
        if (c == '-') c = '_';
    return name;
}

std::u16string Widen(const std::string &ascii) { return std::u16string(ascii.begin(), ascii.end()); }

void StreamTest::SetUp() {
    ASSERT_FALSE(temp_.path().empty());
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ASSERT_EQ(DirectDrawCreate(nullptr, &directDraw_, nullptr), DD_OK);
    ASSERT_EQ(directDraw_->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
}

void StreamTest::TearDown() {
    FreeRecord();
    if (directDraw_) directDraw_->Release();
    CoUninitialize();
}

void StreamTest::FreeRecord() {
    // The library's order: sample, video stream, multimedia stream, surface.
    if (mm_) mm_->SetState(STREAMSTATE_STOP);
    if (sample_) {
        EXPECT_EQ(sample_->Release(), 0u);
    }
    if (ddStream_) ddStream_->Release();
    if (mm_) {
        EXPECT_EQ(mm_->Release(), 0u);
    }
    if (surface_) {
        EXPECT_EQ(surface_->Release(), 0u);
    }
    mm_ = nullptr, ddStream_ = nullptr, sample_ = nullptr, surface_ = nullptr;
}

std::string StreamTest::WriteMovie(const moviegen::MovieRecipe &recipe, const std::string &name) {
    const std::string path = temp_.File(name + moviegen::KindExtension(recipe.kind));
    std::string error;
    EXPECT_TRUE(moviegen::WriteMovie(path, recipe, &error)) << error;
    return path;
}

HRESULT StreamTest::Open(const std::string &path, bool withAudio) {
    HRESULT hr = CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                                  reinterpret_cast<void **>(&mm_));
    if (FAILED(hr)) return hr;
    EXPECT_EQ(mm_->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, nullptr), S_OK);
    EXPECT_EQ(mm_->AddMediaStream(directDraw_, &MSPID_PrimaryVideo, 0, nullptr), S_OK);
    if (withAudio) {
        hr = mm_->AddMediaStream(nullptr, &MSPID_PrimaryAudio, AMMSF_ADDDEFAULTRENDERER, nullptr);
        EXPECT_TRUE(hr == S_OK || hr == VFW_E_NO_AUDIO_HARDWARE) << std::hex << hr;
    }
    hr = mm_->OpenFile(Widen(path).c_str(), 0);
    if (hr != S_OK) return hr;
    IMediaStream *video = nullptr;
    EXPECT_EQ(mm_->GetMediaStream(MSPID_PrimaryVideo, &video), S_OK);
    if (!video) return E_FAIL;
    EXPECT_EQ(video->QueryInterface(IID_IDirectDrawMediaStream, reinterpret_cast<void **>(&ddStream_)), S_OK);
    video->Release();
    return ddStream_ ? S_OK : E_FAIL;
}

HRESULT StreamTest::Open(const moviegen::MovieRecipe &recipe, bool withAudio) {
    return Open(WriteMovie(recipe), withAudio);
}

void StreamTest::MakeSample() {
    ASSERT_NE(ddStream_, nullptr);
    format_ = DDSURFACEDESC{};
    format_.dwSize = sizeof(format_);
    // The desired format names the pixel format as well as the size.
    ASSERT_EQ(ddStream_->GetFormat(nullptr, nullptr, &format_, nullptr), S_OK);
    width_ = static_cast<int>(format_.dwWidth);
    height_ = static_cast<int>(format_.dwHeight);
    ASSERT_EQ(directDraw_->CreateSurface(&format_, &surface_, nullptr), DD_OK);
    RECT rect{0, 0, width_, height_};
    ASSERT_EQ(ddStream_->CreateSample(surface_, &rect, DDSFF_PROGRESSIVERENDER, &sample_), S_OK);
}

HRESULT StreamTest::UpdateNow() {
    STREAM_STATE state = STREAMSTATE_STOP;
    mm_->GetState(&state);
    if (state != STREAMSTATE_RUN) mm_->SetState(STREAMSTATE_RUN);
    return sample_->Update(0, nullptr, nullptr, 0);
}

int StreamTest::PlayToEnd(int limit, HRESULT *last) {
    int shown = 0;
    while ((*last = UpdateNow()) == S_OK && shown < limit) ++shown;
    return shown;
}

std::vector<uint8_t> StreamTest::SurfaceRgb24(const PALETTEENTRY *palette) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width_) * height_ * 3);
    DDSURFACEDESC locked{};
    locked.dwSize = sizeof(locked);
    EXPECT_EQ(surface_->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
    if (!locked.lpSurface) return rgb;
    const DWORD bits = locked.ddpfPixelFormat.dwRGBBitCount;
    for (int y = 0; y < height_; ++y) {
        const auto *row = static_cast<const uint8_t *>(locked.lpSurface) + static_cast<ptrdiff_t>(y) * locked.lPitch;
        uint8_t *out = rgb.data() + static_cast<size_t>(y) * width_ * 3;
        for (int x = 0; x < width_; ++x, out += 3) {
            if (bits == 8) {
                const PALETTEENTRY &entry = palette[row[x]];
                out[0] = entry.peRed, out[1] = entry.peGreen, out[2] = entry.peBlue;
            } else {
                const uint8_t *pixel = row + x * (bits / 8);  // B, G, R[, X] in memory
                out[0] = pixel[2], out[1] = pixel[1], out[2] = pixel[0];
            }
        }
    }
    surface_->Unlock(locked.lpSurface);
    return rgb;
}

std::vector<uint8_t> StreamTest::SurfaceIndices() {
    std::vector<uint8_t> indices(static_cast<size_t>(width_) * height_);
    DDSURFACEDESC locked{};
    locked.dwSize = sizeof(locked);
    EXPECT_EQ(surface_->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
    if (!locked.lpSurface) return indices;
    for (int y = 0; y < height_; ++y)
        std::copy_n(static_cast<const uint8_t *>(locked.lpSurface) + static_cast<ptrdiff_t>(y) * locked.lPitch, width_,
                    indices.begin() + static_cast<ptrdiff_t>(y) * width_);
    surface_->Unlock(locked.lpSurface);
    return indices;
}

int StreamTest::ShownFrame(const PALETTEENTRY *palette) {
    const std::vector<uint8_t> rgb = SurfaceRgb24(palette);
    return moviegen::ReadFrameIndex(rgb.data(), width_, height_, static_cast<size_t>(width_) * 3);
}

}  // namespace mmtest
