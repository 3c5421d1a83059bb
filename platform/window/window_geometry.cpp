#include "window/window_geometry.h"

#include <algorithm>

namespace standin {

LONG ClampCoordinate(int64_t value) {
    return static_cast<LONG>(std::clamp(value, -kCoordinateLimit, kCoordinateLimit));
}

LONG ClampExtent(int64_t value) { return static_cast<LONG>(std::clamp<int64_t>(value, 0, kCoordinateLimit)); }

RECT WindowRectFrom(int64_t x, int64_t y, int64_t width, int64_t height) {
    const LONG left = ClampCoordinate(x);
    const LONG top = ClampCoordinate(y);
    return RECT{left, top, left + ClampExtent(width), top + ClampExtent(height)};
}

}  // namespace standin
