// Rectangles given to Lock and Blt, checked against their surface.
#pragma once

#include <windows.h>

namespace standin {

// A null rectangle means the whole surface. A given one must be non-empty,
// not inverted, and lie inside width x height (no clipper is ever
// attached); false otherwise.
bool ResolveSurfaceRect(const RECT *rect, DWORD width, DWORD height, RECT *resolved);

}  // namespace standin
