#include "ddraw/surface_rect.h"

namespace standin {

bool ResolveSurfaceRect(const RECT *rect, DWORD width, DWORD height, RECT *resolved) {
    if (rect == nullptr) {
        *resolved = RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
        return true;
    }
    if (rect->left >= rect->right || rect->top >= rect->bottom) return false;
    if (rect->left < 0 || rect->top < 0) return false;
    if (static_cast<DWORD>(rect->right) > width || static_cast<DWORD>(rect->bottom) > height) return false;
    *resolved = *rect;
    return true;
}

}  // namespace standin
