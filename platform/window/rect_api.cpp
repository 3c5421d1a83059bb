// Rectangle helpers of the window manager. Arithmetic wraps as on Windows
// instead of overflowing.
#include <cstdint>
#include <windows.h>

namespace {

LONG Wrap(int64_t value) { return static_cast<LONG>(static_cast<uint32_t>(value)); }

}  // namespace

extern "C" {

BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy) {
    if (!lprc) return FALSE;
    lprc->left = Wrap(int64_t{lprc->left} + dx);
    lprc->right = Wrap(int64_t{lprc->right} + dx);
    lprc->top = Wrap(int64_t{lprc->top} + dy);
    lprc->bottom = Wrap(int64_t{lprc->bottom} + dy);
    return TRUE;
}

BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom) {
    if (!lprc) return FALSE;
    *lprc = RECT{xLeft, yTop, xRight, yBottom};
    return TRUE;
}

}  // extern "C"
