// Who keeps a multimedia stream alive. The video stream counts on its
// multimedia stream; a sample keeps both alive without being among the
// references they report, so the host's last Release of them returns 0
// even while a sample is held, and the stream goes with the last of all.
#include "stream_fixture.h"

#include <ddstream.h>

#include <algorithm>
#include <array>

namespace mmtest {
namespace {

class ReferencesTest : public StreamTest {
protected:
    ULONG DirectDrawRefs() {
        directDraw_->AddRef();
        return directDraw_->Release();
    }
};

enum Held { kSample, kVideo, kMultimedia };

TEST_F(ReferencesTest, EveryReleaseOrderReportsTheHostsReferencesAndFreesOnce) {
    moviegen::MovieRecipe recipe;
    recipe.width = 64, recipe.height = 48, recipe.frames = 3;
    const std::string path = WriteMovie(recipe);
    std::array<Held, 3> order{kSample, kVideo, kMultimedia};
    do {
        const ULONG before = DirectDrawRefs();
        ASSERT_EQ(Open(path), S_OK);
        MakeSample();
        IUnknown *held[3] = {sample_, ddStream_, mm_};
        IDirectDrawStreamSample *sample = sample_;
        sample_ = nullptr, ddStream_ = nullptr, mm_ = nullptr;  // released here, not by the fixture
        int streamsLeft = 2;
        for (int step = 0; step < 3; ++step) {
            const Held which = order[step];
            if (which == kSample) {
                EXPECT_EQ(held[which]->Release(), 0u);
                sample = nullptr;
                continue;
            }
            --streamsLeft;
            EXPECT_EQ(held[which]->Release(), ULONG(streamsLeft)) << "step " << step;
            if (streamsLeft == 0 && sample) {
                // Let go of by the host, still there for the sample.
                EXPECT_GT(DirectDrawRefs(), before);
                IMediaStream *stream = nullptr;
                ASSERT_EQ(sample->GetMediaStream(&stream), S_OK);
                EXPECT_EQ(stream->Release(), 0u);
                EXPECT_EQ(sample->CompletionStatus(0, 0), S_OK) << "the sample still works";
            }
        }
        EXPECT_EQ(DirectDrawRefs(), before) << "the stream let go of DirectDraw once all went";
        EXPECT_EQ(surface_->Release(), 0u);
        surface_ = nullptr;
    } while (std::next_permutation(order.begin(), order.end()));
}

}  // namespace
}  // namespace mmtest
