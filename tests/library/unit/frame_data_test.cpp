// The frame's geometry and raw pixel writes, on a fake frame surface whose
// rows may be padded past their width.
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "fakes/fake_direct_draw.h"
#include "stream/stream_sample.h"

namespace {

using fakes::FakeSurface;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

constexpr BYTE kUntouched = 0xEE;

struct FrameShape {
    const char *name;
    DWORD width, height, bitsPerPixel;
    LONG pitch;
};

void PrintTo(const FrameShape &shape, std::ostream *out) { *out << shape.name; }

const FrameShape kShapes[] = {
    {"Palettized", 16, 4, 8, 16},
    {"PalettizedOddWidth", 17, 5, 8, 24},
    {"TrueColour", 6, 3, 32, 24},
    {"TrueColourOddWidth", 5, 2, 32, 24},
};

class FrameData : public testing::TestWithParam<FrameShape> {
protected:
    FrameData()
        : surface(nullptr, "surface", GetParam().width, GetParam().height, GetParam().pitch),
          stream(static_cast<StreamSample *>(std::calloc(1, sizeof(StreamSample)))) {
        surface.bitsPerPixel = GetParam().bitsPerPixel;
        surface.pixels.assign(surface.pixels.size(), kUntouched);
        stream->surface = &surface;
    }
    ~FrameData() override { std::free(stream); }

    // Host rows, packed: every byte tells its row and column.
    std::vector<BYTE> hostBlock() const {
        std::vector<BYTE> block;
        for (DWORD y = 0; y < GetParam().height; ++y)
            for (DWORD x = 0; x < GetParam().width; ++x) block.push_back(static_cast<BYTE>(16 * y + x));
        return block;
    }

    void expectOneWholeLockAndUnlock() const {
        ASSERT_EQ(surface.locks.size(), 1u);
        EXPECT_TRUE(surface.locks[0].wholeAndWaiting());
        ASSERT_EQ(surface.unlocks.size(), 1u);
        EXPECT_EQ(surface.unlocks[0], nullptr);
    }

    FakeSurface surface;
    StreamSample *stream;
};

TEST_P(FrameData, InfoReportsTheLockedSurfaceTwiceAlike) {
    const FrameShape &shape = GetParam();
    const std::vector<int> expected = {int(shape.width), int(shape.height), int(shape.bitsPerPixel), shape.pitch};
    for (int call = 0; call < 2; ++call) {
        std::vector<int> got = {-1, -1, -1, -1};
        ASSERT_EQ(streamImageInfo(stream, &got[0], &got[1], &got[2], &got[3]), 1);
        EXPECT_EQ(got, expected);
    }
    EXPECT_EQ(surface.unlocks.size(), 2u);
    EXPECT_EQ(surface.pixels, std::vector<BYTE>(surface.pixels.size(), kUntouched));  // described, not touched
}

TEST_P(FrameData, DataWritesWidthBytesPerRowTopFirstAndKeepsThePadding) {
    const FrameShape &shape = GetParam();
    const std::vector<BYTE> block = hostBlock();
    std::vector<BYTE> expected(surface.pixels.size(), kUntouched);
    for (DWORD y = 0; y < shape.height; ++y)
        for (DWORD x = 0; x < shape.width; ++x) expected[y * shape.pitch + x] = block[y * shape.width + x];

    ASSERT_EQ(streamImageData(stream, block.data()), 1);
    expectOneWholeLockAndUnlock();
    EXPECT_EQ(surface.pixels, expected);
}

TEST_P(FrameData, RefusedLockSaysSoAndLeavesEverythingAlone) {
    surface.lockResult = DDERR_SURFACEBUSY;
    std::vector<int> out = {-1, -2, -3, -4};
    const std::vector<BYTE> block = hostBlock();
    CaptureStderr();
    EXPECT_EQ(streamImageInfo(stream, &out[0], &out[1], &out[2], &out[3]), 0);
    EXPECT_EQ(streamImageData(stream, block.data()), 0);
    EXPECT_EQ(GetCapturedStderr(), "Error in LockError in Lock");  // no line ends
    EXPECT_EQ(out, (std::vector<int>{-1, -2, -3, -4}));
    EXPECT_TRUE(surface.unlocks.empty());
    EXPECT_EQ(surface.pixels, std::vector<BYTE>(surface.pixels.size(), kUntouched));
}

INSTANTIATE_TEST_SUITE_P(Shapes, FrameData, testing::ValuesIn(kShapes),
                         [](const testing::TestParamInfo<FrameShape> &info) { return info.param.name; });

TEST(FrameDataNulls, MissingRecordOrPointerGetsZeroAndNothingIsWritten) {
    FakeSurface surface(nullptr, "surface", 4, 2, 8);
    StreamSample record{};
    record.surface = &surface;
    int a = 7, b = 7, c = 7, d = 7;
    const BYTE block[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(streamImageInfo(nullptr, &a, &b, &c, &d), 0);
    EXPECT_EQ(streamImageInfo(&record, nullptr, &b, &c, &d), 0);
    EXPECT_EQ(streamImageInfo(&record, &a, nullptr, &c, &d), 0);
    EXPECT_EQ(streamImageInfo(&record, &a, &b, nullptr, &d), 0);
    EXPECT_EQ(streamImageInfo(&record, &a, &b, &c, nullptr), 0);
    EXPECT_EQ(streamImageData(nullptr, block), 0);
    EXPECT_EQ(streamImageData(&record, nullptr), 0);
    EXPECT_EQ(a + b + c + d, 28);
    EXPECT_TRUE(surface.locks.empty());
    for (BYTE pixel : surface.pixels) ASSERT_EQ(pixel, 0);
}

TEST(FrameDataEdges, SharedOutParameterEndsWithThePitchAndEmptyFrameCopiesNothing) {
    FakeSurface surface(nullptr, "surface", 3, 2, 8);
    StreamSample record{};
    record.surface = &surface;
    int shared = 0;
    ASSERT_EQ(streamImageInfo(&record, &shared, &shared, &shared, &shared), 1);
    EXPECT_EQ(shared, 8);  // width, height, depth, then pitch

    FakeSurface empty(nullptr, "empty", 0, 3, 8);
    record.surface = &empty;
    const BYTE block[1] = {9};
    EXPECT_EQ(streamImageData(&record, block), 1);
    EXPECT_EQ(empty.locks.size(), 1u);
    EXPECT_EQ(empty.unlocks.size(), 1u);
}

}  // namespace
