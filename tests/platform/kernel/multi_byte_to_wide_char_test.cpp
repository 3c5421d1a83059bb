#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

namespace {

constexpr WCHAR kUntouched = 0x7777;

// Converts with a buffer of exactly `capacity` units; the result's size is
// the return value, or empty on failure.
std::u16string Convert(const std::string &bytes, int length, DWORD flags = 0, UINT codePage = CP_UTF8) {
    const int needed = MultiByteToWideChar(codePage, flags, bytes.c_str(), length, nullptr, 0);
    if (needed <= 0) return {};
    std::vector<WCHAR> buffer(static_cast<size_t>(needed) + 1, kUntouched);
    const int written = MultiByteToWideChar(codePage, flags, bytes.c_str(), length, buffer.data(), needed);
    EXPECT_EQ(written, needed) << "sizing and converting disagree";
    EXPECT_EQ(buffer[static_cast<size_t>(needed)], kUntouched) << "wrote past the stated capacity";
    return std::u16string(buffer.data(), static_cast<size_t>(written > 0 ? written : 0));
}

std::u16string WithTerminator(std::u16string text) {
    text.push_back(u'\0');
    return text;
}

TEST(KernelMultiByteToWideChar, TerminatedInputCountsTheTerminator) {
    EXPECT_EQ(Convert("movie.avi", -1), WithTerminator(u"movie.avi"));
    EXPECT_EQ(Convert("movie.avi", -1, 0, CP_ACP), WithTerminator(u"movie.avi"));
    EXPECT_EQ(Convert("", -1), WithTerminator(u""));
}

TEST(KernelMultiByteToWideChar, ExplicitLengthConvertsExactlyThoseBytes) {
    EXPECT_EQ(Convert("movie.avi", 5), u"movie");
    EXPECT_EQ(Convert(std::string("a\0b", 3), 3), std::u16string(u"a\0b", 3));
}

TEST(KernelMultiByteToWideChar, MultiByteCharactersAndSurrogatePairs) {
    EXPECT_EQ(Convert("caf\xC3\xA9", -1, MB_PRECOMPOSED, CP_ACP), WithTerminator(u"caf\u00e9"));
    EXPECT_EQ(Convert("\xE2\x82\xAC", 3), u"\u20ac");
    // U+1F3AC CLAPPER BOARD: four bytes, two UTF-16 units.
    const std::u16string clapper = Convert("\xF0\x9F\x8E\xAC!", -1);
    EXPECT_EQ(clapper, WithTerminator(u"\xD83C\xDFAC!"));
}

TEST(KernelMultiByteToWideChar, SizeQueryWritesNothing) {
    WCHAR buffer[4] = {kUntouched, kUntouched, kUntouched, kUntouched};
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xF0\x9F\x8E\xAC\xC3\xA9", -1, buffer, 0), 4);
    EXPECT_EQ(buffer[0], kUntouched);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xF0\x9F\x8E\xAC\xC3\xA9", -1, nullptr, 0), 4);
}

TEST(KernelMultiByteToWideChar, TooSmallBufferFails) {
    WCHAR buffer[8];
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "movie.avi", -1, buffer, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    // Room for one unit of a surrogate pair is not room for the character.
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab\xF0\x9F\x8E\xAC", 6, buffer, 3), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    // Nor for a replacement character.
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab\xFF", 3, buffer, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(KernelMultiByteToWideChar, IllFormedBytesBecomeReplacementCharacters) {
    EXPECT_EQ(Convert("a\xFF" "b", 3), u"a\xFFFD" "b");
    // A truncated character is one replacement, and the next character survives.
    EXPECT_EQ(Convert("\xE2\x82x", 3), u"\xFFFDx");
    EXPECT_EQ(Convert("x\xF0\x9F\x8E", 4), u"x\xFFFD");
    // Overlong forms and encoded surrogates: every byte is replaced.
    EXPECT_EQ(Convert("\xC0\xAF", 2), u"\xFFFD\xFFFD");
    EXPECT_EQ(Convert("\xED\xA0\x80", 3), u"\xFFFD\xFFFD\xFFFD");
    // Beyond U+10FFFF.
    EXPECT_EQ(Convert("\xF4\x90\x80\x80", 4), u"\xFFFD\xFFFD\xFFFD\xFFFD");
    // Long runs of bad bytes cross the sizing pass's internal chunks.
    const std::string bad(1000, '\x80');
    EXPECT_EQ(Convert(bad, 1000), std::u16string(1000, u'\xFFFD'));
}

TEST(KernelMultiByteToWideChar, StrictModeRefusesIllFormedInput) {
    WCHAR buffer[8];
    for (WCHAR *out : {buffer, static_cast<WCHAR *>(nullptr)}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xC3", 2, out, out ? 8 : 0), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    }
    EXPECT_EQ(Convert("caf\xC3\xA9", -1, MB_ERR_INVALID_CHARS), WithTerminator(u"caf\u00e9"));
}

TEST(KernelMultiByteToWideChar, BadArgumentsAreRefused) {
    WCHAR buffer[8];
    struct Case {
        UINT codePage;
        DWORD flags;
        const char *input;
        int length;
        WCHAR *out;
        int capacity;
        DWORD error;
    };
    const Case cases[] = {
        {CP_UTF8, 0, nullptr, -1, buffer, 8, ERROR_INVALID_PARAMETER},
        {1252, 0, "a", -1, buffer, 8, ERROR_INVALID_PARAMETER},
        {CP_OEMCP, 0, "a", -1, buffer, 8, ERROR_INVALID_PARAMETER},
        {CP_UTF8, 0, "a", 0, buffer, 8, ERROR_INVALID_PARAMETER},
        {CP_UTF8, 0, "a", -2, buffer, 8, ERROR_INVALID_PARAMETER},
        {CP_UTF8, 0, "a", -1, buffer, -1, ERROR_INVALID_PARAMETER},
        {CP_UTF8, 0, "a", -1, nullptr, 8, ERROR_INVALID_PARAMETER},
        {CP_UTF8, MB_PRECOMPOSED, "a", -1, buffer, 8, ERROR_INVALID_FLAGS},
        {CP_ACP, 0x1000, "a", -1, buffer, 8, ERROR_INVALID_FLAGS},
    };
    for (const Case &c : cases) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(MultiByteToWideChar(c.codePage, c.flags, c.input, c.length, c.out, c.capacity), 0)
            << "code page " << c.codePage << ", length " << c.length;
        EXPECT_EQ(GetLastError(), c.error) << "code page " << c.codePage << ", length " << c.length;
    }
}

TEST(KernelMultiByteToWideChar, PathLongerThanMaxPathConvertsFully) {
    std::string path = "/movies";
    std::u16string expected = u"/movies";
    while (path.size() <= 2 * MAX_PATH) {
        path += "/sc\xC3\xA8ne-\xF0\x9F\x8E\xAC";
        expected += u"/sc\u00e8ne-\xD83C\xDFAC";
    }
    EXPECT_EQ(Convert(path, -1), WithTerminator(expected));

    std::vector<WCHAR> maxPath(MAX_PATH);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, maxPath.data(), MAX_PATH), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

}  // namespace
