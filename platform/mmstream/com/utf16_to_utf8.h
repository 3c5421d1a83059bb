// File names arrive as UTF-16 and go to FFmpeg as UTF-8.
#pragma once

#include <string>

#include <windows.h>

namespace standin::mmstream {

// Converts a null-terminated UTF-16 string of any length. An unpaired
// surrogate becomes U+FFFD, as Windows' own conversions do.
std::string Utf16ToUtf8(LPCWSTR text);

}  // namespace standin::mmstream
