#include "stream/wide_file_name.h"

#include <cstdlib>

WCHAR *widenFileName(const char *name) {
    // Sized to the name, terminator included, so long paths open like any other.
    const int length = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
    if (length <= 0) return nullptr;
    auto *wide = static_cast<WCHAR *>(std::calloc(static_cast<size_t>(length), sizeof(WCHAR)));
    if (wide == nullptr) return nullptr;
    if (MultiByteToWideChar(CP_ACP, 0, name, -1, wide, length) != length) {
        std::free(wide);
        return nullptr;
    }
    return wide;
}
