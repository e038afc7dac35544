#pragma once
// Driver files as the installation may ship them: UTF-16 LE with its mark, or ANSI text,
// with CR LF or LF line ends.
#include <windows.h>

#include <string>

#include "tests/support/TestFiles.h"

namespace testing_support {

enum class Encoding { Utf16, Ansi };

inline std::string Encode(const std::wstring& text, Encoding encoding, bool crlf = true)
{
    std::wstring lines;
    for (wchar_t ch : text) {
        if (ch == L'\n' && crlf) lines += L'\r';
        lines += ch;
    }
    if (encoding == Encoding::Utf16) {
        std::string bytes("\xFF\xFE", 2);
        bytes.append(reinterpret_cast<const char*>(lines.data()), lines.size() * sizeof(wchar_t));
        return bytes;
    }
    return testing_support::ToAnsi(lines);
}

inline const char* EncodingName(Encoding encoding)
{
    return encoding == Encoding::Utf16 ? "Utf16" : "Ansi";
}

}  // namespace testing_support
