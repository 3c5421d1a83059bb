// Keeping window coordinates in a range where no sum can overflow.
#pragma once

#include <cstdint>
#include <windows.h>

namespace standin {

// Far beyond any screen, far below LONG's limits.
constexpr int64_t kCoordinateLimit = int64_t{1} << 24;

LONG ClampCoordinate(int64_t value);
LONG ClampExtent(int64_t value);  // 0..kCoordinateLimit; negative sizes become 0

// A window rectangle from a position and a size, both clamped.
RECT WindowRectFrom(int64_t x, int64_t y, int64_t width, int64_t height);

}  // namespace standin
