// Shared set-up for tests of the built-in multimedia stream: COM, the
// screen's DirectDraw object, movies written into a temporary directory,
// and the stream, video stream, surface and sample made the way the
// library makes them.
#pragma once

#include <amstream.h>
#include <ddraw.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "moviegen/moviegen.h"

namespace mmtest {

// A movie kind as a test name ("raw-rgb" becomes "raw_rgb").
std::string KindTestName(const testing::TestParamInfo<moviegen::Kind> &info);

std::u16string Widen(const std::string &ascii);

class StreamTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a movie into the temporary directory; fails the test on error.
    std::string WriteMovie(const moviegen::MovieRecipe &recipe, const std::string &name = "movie");

    // CoCreateInstance, Initialize, the video stream on the screen's
    // DirectDraw object, optionally the default audio renderer, OpenFile.
    // Keeps the stream in mm_ (also on failure) and, on success, the video
    // stream in ddStream_.
    HRESULT Open(const std::string &path, bool withAudio = false);
    HRESULT Open(const moviegen::MovieRecipe &recipe, bool withAudio = false);
    // A frame surface in the current format and a sample on it.
    void MakeSample();
    // Releases the sample, the streams and the surface, as the library
    // frees a record.
    void FreeRecord();

    // Runs the stream if needed and updates synchronously.
    HRESULT UpdateNow();
    // Updates until one does not give S_OK, at most `limit` times; returns
    // how many gave S_OK and keeps the last result in *last.
    int PlayToEnd(int limit, HRESULT *last);

    // The frame area of the surface as packed R,G,B (through `palette` on
    // an 8-bit screen) or as packed indices.
    std::vector<uint8_t> SurfaceRgb24(const PALETTEENTRY *palette = nullptr);
    std::vector<uint8_t> SurfaceIndices();
    // The frame number the surface shows, read from its code blocks.
    int ShownFrame(const PALETTEENTRY *palette = nullptr);


    moviegen::TempDir temp_;
    IDirectDraw *directDraw_ = nullptr;
    IAMMultiMediaStream *mm_ = nullptr;
    IDirectDrawMediaStream *ddStream_ = nullptr;
    IDirectDrawSurface *surface_ = nullptr;
    IDirectDrawStreamSample *sample_ = nullptr;
    DDSURFACEDESC format_{};
    int width_ = 0, height_ = 0;
};

}  // namespace mmtest
