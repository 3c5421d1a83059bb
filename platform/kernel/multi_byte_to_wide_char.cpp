// MultiByteToWideChar for the code pages the stand-in knows: CP_UTF8, and
// CP_ACP, which is UTF-8 here.
#include <climits>
#include <cstring>

#include <windows.h>

#include "kernel/utf8_to_utf16.h"

namespace {

bool ValidFlags(UINT codePage, DWORD flags) {
    // Windows refuses every flag but MB_ERR_INVALID_CHARS for UTF-8 itself.
    const DWORD allowed = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : (MB_PRECOMPOSED | MB_ERR_INVALID_CHARS);
    return (flags & ~allowed) == 0;
}

int Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

}  // namespace

extern "C" {

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
    if (CodePage != CP_ACP && CodePage != CP_UTF8) return Fail(ERROR_INVALID_PARAMETER);
    if (lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
        (cchWideChar > 0 && lpWideCharStr == nullptr))
        return Fail(ERROR_INVALID_PARAMETER);
    if (!ValidFlags(CodePage, dwFlags)) return Fail(ERROR_INVALID_FLAGS);

    // -1: up to and including the terminator, which is converted too.
    const size_t length = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
    char16_t *out = cchWideChar == 0 ? nullptr : lpWideCharStr;
    const standin::Utf8Result result = standin::Utf8ToUtf16(lpMultiByteStr, length, out,
                                                             static_cast<size_t>(cchWideChar),
                                                             (dwFlags & MB_ERR_INVALID_CHARS) != 0);
    switch (result.status) {
        case standin::Utf8Status::Ok:
            break;
        case standin::Utf8Status::BufferTooSmall:
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        case standin::Utf8Status::InvalidSequence:
            return Fail(ERROR_NO_UNICODE_TRANSLATION);
        case standin::Utf8Status::ConverterUnavailable:
            return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    // A UTF-8 byte never yields more than one UTF-16 unit, so the count fits
    // an int whenever the input length did; strlen may not have.
    if (result.units > static_cast<size_t>(INT_MAX)) return Fail(ERROR_INVALID_PARAMETER);
    return static_cast<int>(result.units);
}

}  // extern "C"
