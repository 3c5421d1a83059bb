// UTF-8 to UTF-16 conversion with the replacement rules MultiByteToWideChar
// applies to CP_UTF8.
#pragma once

#include <cstddef>

namespace standin {

enum class Utf8Status {
    Ok,
    BufferTooSmall,     // `out` cannot hold the whole result
    InvalidSequence,    // only when strict
    ConverterUnavailable,
};

struct Utf8Result {
    Utf8Status status;
    size_t units;  // UTF-16 units produced (or needed, when out is null)
};

// Converts `length` bytes. With `out` null nothing is written and `units`
// is the length the result needs. Ill-formed sequences become U+FFFD, one
// per maximal ill-formed subpart, unless `strict`.
Utf8Result Utf8ToUtf16(const char *in, size_t length, char16_t *out, size_t capacity, bool strict);

}  // namespace standin
