// Well-formed runs go through glibc's iconv; this file only decides what
// an ill-formed sequence becomes, which iconv leaves to its caller.
#include "kernel/utf8_to_utf16.h"

#include <cerrno>

#include <iconv.h>

namespace standin {
namespace {

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr const char *kNativeUtf16 = "UTF-16BE";
#else
constexpr const char *kNativeUtf16 = "UTF-16LE";
#endif

constexpr char16_t kReplacement = 0xFFFD;

class Utf8Decoder {
public:
    Utf8Decoder() : cd_(iconv_open(kNativeUtf16, "UTF-8")) {}
    ~Utf8Decoder() {
        if (Usable()) iconv_close(cd_);
    }
    Utf8Decoder(const Utf8Decoder &) = delete;
    Utf8Decoder &operator=(const Utf8Decoder &) = delete;

    bool Usable() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as fits; advances both sides. False when it stopped
    // early, with errno telling why.
    bool Convert(const char *&in, size_t &inLeft, char16_t *out, size_t room, size_t &produced) {
        char *inPtr = const_cast<char *>(in);
        char *outPtr = reinterpret_cast<char *>(out);
        size_t outBytes = room * sizeof(char16_t);
        const size_t result = iconv(cd_, &inPtr, &inLeft, &outPtr, &outBytes);
        in = inPtr;
        produced = room - outBytes / sizeof(char16_t);
        return result != static_cast<size_t>(-1);
    }

private:
    iconv_t cd_;
};

// Length of the maximal subpart of an ill-formed sequence starting at `p`:
// the longest prefix that could still begin a well-formed character, at
// least one byte. Each such subpart becomes one U+FFFD (Unicode's
// recommended practice), so a truncated character costs one replacement
// and a stray byte never swallows the character after it.
size_t IllFormedSubpartLength(const char *p, size_t n) {
    const auto byte = [p](size_t i) { return static_cast<unsigned char>(p[i]); };
    const unsigned lead = byte(0);
    size_t need;
    unsigned secondLow = 0x80, secondHigh = 0xBF;  // excludes overlongs, surrogates, > U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 3;
        if (lead == 0xE0) secondLow = 0xA0;
        if (lead == 0xED) secondHigh = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 4;
        if (lead == 0xF0) secondLow = 0x90;
        if (lead == 0xF4) secondHigh = 0x8F;
    } else {
        return 1;
    }
    if (n < 2 || byte(1) < secondLow || byte(1) > secondHigh) return 1;
    size_t length = 2;
    while (length < need && length < n && (byte(length) & 0xC0) == 0x80) ++length;
    return length;
}

}  // namespace

Utf8Result Utf8ToUtf16(const char *in, size_t length, char16_t *out, size_t capacity, bool strict) {
    Utf8Decoder decoder;
    if (!decoder.Usable()) return {Utf8Status::ConverterUnavailable, 0};

    char16_t scratch[256];  // sizing pass: converted, counted, dropped
    size_t units = 0;
    while (length > 0) {
        char16_t *target = out ? out + units : scratch;
        const size_t room = out ? capacity - units : sizeof scratch / sizeof scratch[0];
        size_t produced = 0;
        const bool finished = decoder.Convert(in, length, target, room, produced);
        units += produced;
        if (finished) break;
        if (errno == E2BIG) {
            if (out) return {Utf8Status::BufferTooSmall, units};
            continue;
        }
        // EILSEQ, or EINVAL for a character cut off by the end of input.
        if (strict) return {Utf8Status::InvalidSequence, units};
        if (out) {
            if (units == capacity) return {Utf8Status::BufferTooSmall, units};
            out[units] = kReplacement;
        }
        ++units;
        const size_t skip = IllFormedSubpartLength(in, length);
        in += skip;
        length -= skip;
    }
    return {Utf8Status::Ok, units};
}

}  // namespace standin
