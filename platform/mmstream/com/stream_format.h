// The video stream's surface format: what SetFormat chose, and what the
// stream has when nothing was chosen, before and after a movie is open.
#pragma once

#include <optional>

#include <ddraw.h>

#include "mmstream/source/movie_info.h"

namespace standin::mmstream {

class StreamFormat {
public:
    // The size samples are made in before a movie is open, unless
    // SetFormat named another.
    static constexpr DWORD kDefaultWidth = 100;
    static constexpr DWORD kDefaultHeight = 100;

    // The format samples are made in (all of DDSD_WIDTH, DDSD_HEIGHT,
    // DDSD_CAPS and DDSD_PIXELFORMAT filled): the movie's size once one is
    // open (`movie` not null), else the size set or the default; the pixel
    // format set, or `screen`'s.
    DDSURFACEDESC Current(const MovieInfo *movie, const DDPIXELFORMAT &screen) const;
    bool PixelFormatSet() const { return pixelFormat_.has_value(); }

    // Takes `format` as SetFormat does, `current` being what Current gave.
    // Before a movie is open any size and any pixel format that
    // NormalizeStreamPixelFormat takes are kept; once it is open only the
    // current size and pixel format are. E_INVALIDARG for a description of
    // the wrong size, DDERR_INVALIDSURFACETYPE for what it cannot take.
    HRESULT Set(const DDSURFACEDESC &format, const DDSURFACEDESC &current, bool open);

private:
    DWORD width_ = kDefaultWidth;
    DWORD height_ = kDefaultHeight;
    std::optional<DDPIXELFORMAT> pixelFormat_;
};

}  // namespace standin::mmstream
