// Tests that open movies on the desktop host: each record is freed at the
// end of the test.
#pragma once

#include <memory>
#include <vector>

#include <gtest/gtest.h>
#include <vidsurf.h>

#include "desktop_host.h"
#include "movie_set.h"

// Base is testing::Test or testing::TestWithParam<...>.
template <class Base>
class OnDesktop : public Base {
protected:
    void SetUp() override { ASSERT_TRUE(host.ready()); }

    ~OnDesktop() override {
        for (StreamSample *stream : records_) freeStreamSample(stream);
    }

    // The record of `movie`, presenting into `hwnd`; null (with a test
    // failure) when it cannot be opened.
    StreamSample *open(const TestMovie &movie, HWND hwnd = nullptr) {
        StreamSample *stream = createStreamSample(MoviePath(movie.name).c_str(), hwnd, host.directDraw());
        if (stream == nullptr) ADD_FAILURE() << "cannot open " << movie.name;
        records_.push_back(stream);
        return stream;
    }

    // Frees a record before the end of the test.
    void close(StreamSample *stream) {
        for (StreamSample *&record : records_)
            if (record == stream) record = nullptr;
        freeStreamSample(stream);
    }

    DesktopHost host;

private:
    std::vector<StreamSample *> records_;
};

// Where a record without a window presents: its frame rectangle, at the
// top-left corner of the primary surface.
inline RECT FrameRectOf(const TestMovie &movie) { return RECT{0, 0, movie.recipe.width, movie.recipe.height}; }
