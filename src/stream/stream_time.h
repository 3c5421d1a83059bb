// Conversions between the host's seconds and STREAM_TIME (100 ns units).
#pragma once

#include <cstdint>
#include <limits>

#include <mmstream.h>

constexpr double kStreamUnitsPerSecond = 10000000.0;
constexpr double kStreamUnitsPerMillisecond = 10000.0;

// Truncates toward zero (1.23456789 s is 12345678 units). Defined for every
// double: values that STREAM_TIME cannot hold saturate (the infinities
// included) and NaN gives 0, so no conversion overflows.
inline STREAM_TIME secondsToStreamTime(double seconds) {
    const double units = seconds * kStreamUnitsPerSecond;
    constexpr double limit = 9223372036854775808.0;  // 2^63
    if (units != units) return 0;  // NaN
    if (units >= limit) return std::numeric_limits<STREAM_TIME>::max();
    if (units <= -limit) return std::numeric_limits<STREAM_TIME>::min();
    return static_cast<STREAM_TIME>(units);
}

inline double streamTimeToSeconds(STREAM_TIME time) { return static_cast<double>(time) / kStreamUnitsPerSecond; }

inline double streamTimeToMilliseconds(STREAM_TIME time) {
    return static_cast<double>(time) / kStreamUnitsPerMillisecond;
}
