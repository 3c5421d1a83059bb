#include "mmstream/com/utf16_to_utf8.h"

namespace standin::mmstream {

namespace {

void AppendCodePoint(std::string &out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::string Utf16ToUtf8(LPCWSTR text) {
    std::string out;
    for (const WCHAR *p = text; *p; ++p) {
        if (IsHigh(p[0]) && IsLow(p[1])) {
            AppendCodePoint(out, 0x10000 + ((static_cast<char32_t>(p[0]) - 0xD800) << 10) + (p[1] - 0xDC00));
            ++p;
        } else if (IsHigh(*p) || IsLow(*p)) {
            AppendCodePoint(out, 0xFFFD);
        } else {
            AppendCodePoint(out, *p);
        }
    }
    return out;
}

}  // namespace standin::mmstream
