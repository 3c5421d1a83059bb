#include "ddraw/pixel_copy.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace standin {

namespace {

BYTE *Row(const PixelBlock &block, DWORD y) { return block.origin + static_cast<std::ptrdiff_t>(y) * block.pitch; }

DWORD Scaled(DWORD index, DWORD fromSize, DWORD toSize) {
    return static_cast<DWORD>(std::uint64_t{index} * fromSize / toSize);
}

// Destination column x takes source column x * fromWidth / toWidth (rounded
// down), stepped to without a division or a table: a blit allocates nothing.
template <size_t N>
void StretchRow(const BYTE *from, DWORD fromWidth, DWORD toWidth, BYTE *to) {
    const DWORD step = fromWidth / toWidth, rest = fromWidth % toWidth;
    size_t column = 0;
    DWORD carry = 0;  // x * rest modulo toWidth
    for (DWORD x = 0; x < toWidth; ++x, to += N) {
        std::memcpy(to, from + column * N, N);
        column += step;
        carry += rest;
        if (carry >= toWidth) {
            ++column;
            carry -= toWidth;
        }
    }
}

// Copies of this many bytes and more bypass the caches on their way (a
// high-definition frame onto the screen): nothing reads them back soon, and
// the caches stay with the threads decoding the next frames.
constexpr size_t kStreamingCopyFrom = size_t{2} << 20;

#if defined(__SSE2__)
// One row with non-temporal stores, 16 bytes at a time once the target is
// aligned; the caller fences.
void StreamRow(BYTE *to, const BYTE *from, size_t bytes) {
    size_t head = (16 - reinterpret_cast<std::uintptr_t>(to) % 16) % 16;
    if (head > bytes) head = bytes;
    std::memcpy(to, from, head);
    size_t done = head;
    for (; done + 64 <= bytes; done += 64) {
        const auto *in = reinterpret_cast<const __m128i *>(from + done);
        auto *out = reinterpret_cast<__m128i *>(to + done);
        const __m128i a = _mm_loadu_si128(in), b = _mm_loadu_si128(in + 1), c = _mm_loadu_si128(in + 2),
                      d = _mm_loadu_si128(in + 3);
        _mm_stream_si128(out, a);
        _mm_stream_si128(out + 1, b);
        _mm_stream_si128(out + 2, c);
        _mm_stream_si128(out + 3, d);
    }
    for (; done + 16 <= bytes; done += 16)
        _mm_stream_si128(reinterpret_cast<__m128i *>(to + done),
                         _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + done)));
    std::memcpy(to + done, from + done, bytes - done);
}
#endif

// Equal sizes: row by row.
void CopyRows(const PixelBlock &from, const PixelBlock &to, size_t rowBytes) {
#if defined(__SSE2__)
    if (rowBytes * to.height >= kStreamingCopyFrom) {
        for (DWORD y = 0; y < to.height; ++y) StreamRow(Row(to, y), Row(from, y), rowBytes);
        _mm_sfence();  // the stores are weakly ordered: done before the surface is let go
        return;
    }
#endif
    for (DWORD y = 0; y < to.height; ++y) std::memcpy(Row(to, y), Row(from, y), rowBytes);
}

}  // namespace

void StretchPixels(const PixelBlock &from, const PixelBlock &to, DWORD bytesPerPixel) {
    if (from.width == to.width && from.height == to.height) {
        CopyRows(from, to, static_cast<size_t>(to.width) * bytesPerPixel);
        return;
    }
    const bool sameWidth = from.width == to.width;
    for (DWORD y = 0; y < to.height; ++y) {
        const BYTE *source = Row(from, Scaled(y, from.height, to.height));
        BYTE *target = Row(to, y);
        switch (sameWidth ? 0 : bytesPerPixel) {
        case 0: std::memcpy(target, source, static_cast<size_t>(to.width) * bytesPerPixel); break;
        case 1: StretchRow<1>(source, from.width, to.width, target); break;
        case 2: StretchRow<2>(source, from.width, to.width, target); break;
        case 3: StretchRow<3>(source, from.width, to.width, target); break;
        default: StretchRow<4>(source, from.width, to.width, target); break;
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
