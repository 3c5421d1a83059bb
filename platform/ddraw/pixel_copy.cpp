#include "ddraw/pixel_copy.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace standin {

namespace {

BYTE *Row(const PixelBlock &block, DWORD y) { return block.origin + static_cast<std::ptrdiff_t>(y) * block.pitch; }

DWORD Scaled(DWORD index, DWORD fromSize, DWORD toSize) {
    return static_cast<DWORD>(std::uint64_t{index} * fromSize / toSize);
}

template <size_t N>
void StretchRow(const BYTE *from, const std::vector<DWORD> &columns, BYTE *to) {
    for (DWORD column : columns) {
        std::memcpy(to, from + static_cast<size_t>(column) * N, N);
        to += N;
    }
}

}  // namespace

void StretchPixels(const PixelBlock &from, const PixelBlock &to, DWORD bytesPerPixel) {
    std::vector<DWORD> columns;
    if (from.width != to.width) {
        columns.resize(to.width);
        for (DWORD x = 0; x < to.width; ++x) columns[x] = Scaled(x, from.width, to.width);
    }
    for (DWORD y = 0; y < to.height; ++y) {
        const BYTE *source = Row(from, Scaled(y, from.height, to.height));
        BYTE *target = Row(to, y);
        switch (columns.empty() ? 0 : bytesPerPixel) {
        case 0: std::memcpy(target, source, static_cast<size_t>(to.width) * bytesPerPixel); break;
        case 1: StretchRow<1>(source, columns, target); break;
        case 2: StretchRow<2>(source, columns, target); break;
        case 3: StretchRow<3>(source, columns, target); break;
        default: StretchRow<4>(source, columns, target); break;
        }
    }
}

void FillPixels(const PixelBlock &to, DWORD bytesPerPixel, DWORD value) {
    const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                           static_cast<BYTE>(value >> 24)};
    for (DWORD y = 0; y < to.height; ++y) {
        BYTE *target = Row(to, y);
        for (DWORD x = 0; x < to.width; ++x, target += bytesPerPixel) std::memcpy(target, bytes, bytesPerPixel);
    }
}

}  // namespace standin
