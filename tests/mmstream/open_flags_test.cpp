// OpenFile on a stream with no video stream added: what each rendering
// flag answers, and what the stream then offers.
#include "stream_fixture.h"

#include <ddstream.h>

namespace mmtest {
namespace {

struct OpenFlagsCase {
    const char *name;
    DWORD flags;
    HRESULT opened;
    HRESULT duration;     // GetDuration: E_NOINTERFACE when nothing was opened
    HRESULT videoStream;  // GetMediaStream(MSPID_PrimaryVideo)
};

std::ostream &operator<<(std::ostream &out, const OpenFlagsCase &c) { return out << c.name; }

class OpenFlagsTest : public StreamTest, public testing::WithParamInterface<OpenFlagsCase> {};

TEST_P(OpenFlagsTest, NoStreamAdded) {
    const OpenFlagsCase &c = GetParam();
    moviegen::MovieRecipe recipe;
    recipe.width = 64;
    recipe.height = 48;
    recipe.frames = 3;
    const std::string path = WriteMovie(recipe);
    ASSERT_EQ(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                               reinterpret_cast<void **>(&mm_)),
              S_OK);
    ASSERT_EQ(mm_->Initialize(STREAMTYPE_READ, 0, nullptr), S_OK);
    EXPECT_EQ(mm_->OpenFile(Widen(path).c_str(), c.flags), c.opened);
    STREAM_TIME duration = 0;
    EXPECT_EQ(mm_->GetDuration(&duration), c.duration);
    if (c.duration == S_OK) {
        EXPECT_EQ(duration, moviegen::MovieDuration100ns(recipe));
    }
    IMediaStream *video = nullptr;
    EXPECT_EQ(mm_->GetMediaStream(MSPID_PrimaryVideo, &video), c.videoStream);
    if (c.opened == S_OK) {
        EXPECT_EQ(mm_->AddMediaStream(directDraw_, &MSPID_PrimaryVideo, 0, nullptr), MS_E_SOURCEALREADYDEFINED);
    }
    if (!video) return;
    // The default video stream plays the movie.
    ASSERT_EQ(video->QueryInterface(IID_IDirectDrawMediaStream, reinterpret_cast<void **>(&ddStream_)), S_OK);
    video->Release();
    MakeSample();
    EXPECT_EQ(UpdateNow(), S_OK);
    EXPECT_EQ(ShownFrame(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OpenFlagsTest,
    testing::Values(OpenFlagsCase{"NoRender", AMMSF_NORENDER, S_OK, S_OK, MS_E_NOSTREAM},
                    OpenFlagsCase{"RenderAllStreams", AMMSF_RENDERALLSTREAMS, S_OK, S_OK, S_OK},
                    OpenFlagsCase{"RenderToExisting", AMMSF_RENDERTOEXISTING, VFW_E_CANNOT_CONNECT, E_NOINTERFACE,
                                  MS_E_NOSTREAM}),
    [](const testing::TestParamInfo<OpenFlagsCase> &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mmtest
