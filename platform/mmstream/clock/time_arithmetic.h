// Sums of times that stay in range. Timestamps come from the file, and a
// corrupt one can be anywhere in int64's range: a sum that overflows would be
// undefined, so these stop at the ends of the range instead.
#pragma once

#include <cstdint>

namespace standin::mmstream {

inline int64_t SaturatingAdd(int64_t a, int64_t b) {
    int64_t sum;
    if (!__builtin_add_overflow(a, b, &sum)) return sum;
    return b > 0 ? INT64_MAX : INT64_MIN;
}

inline int64_t SaturatingSub(int64_t a, int64_t b) {
    int64_t difference;
    if (!__builtin_sub_overflow(a, b, &difference)) return difference;
    return b < 0 ? INT64_MAX : INT64_MIN;
}

// A time in 100 ns units as a count of samples at `rate`, for any time at or
// above 0 (dividing first keeps the product in range).
inline int64_t TimeToSamples(int64_t time, int rate) {
    return time / 10000000 * rate + time % 10000000 * rate / 10000000;
}

}  // namespace standin::mmstream
