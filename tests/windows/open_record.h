// A record opened for one test and freed at its end.
#pragma once

#include <string>

#include <vidsurf.h>

#include "desktop_host.h"
#include "movie_set.h"

class OpenRecord {
public:
    OpenRecord(const TestMovie &movie, const DesktopHost &host, HWND hwnd = nullptr)
        : stream_(createStreamSample(MoviePath(movie.name).c_str(), hwnd, host.directDraw())) {}
    ~OpenRecord() { freeStreamSample(stream_); }
    OpenRecord(const OpenRecord &) = delete;
    OpenRecord &operator=(const OpenRecord &) = delete;

    StreamSample *get() const { return stream_; }

private:
    StreamSample *stream_;
};

// Where a record without a window presents: its frame rectangle, at the
// top-left corner of the primary surface.
inline RECT FrameRectOf(const TestMovie &movie) { return RECT{0, 0, movie.recipe.width, movie.recipe.height}; }
