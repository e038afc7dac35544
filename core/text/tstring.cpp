#include "core/text/tstring.h"

#include <windows.h>

#include <cstdarg>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "framework/MessageBox.h"

namespace {

const int kFormatBufferSize = 500;

int ToIndex(std::wstring::size_type position)
{
    return position == std::wstring::npos ? -1 : static_cast<int>(position);
}

// A negative start must not wrap round to a huge position that happens to be valid.
std::wstring::size_type ToPosition(int start)
{
    return start < 0 ? std::wstring::npos : static_cast<std::wstring::size_type>(start);
}

// With UTF-8 as the ANSI code page the conversions accept neither the composition
// flags nor the used-default report; asking for them there makes every call fail.
bool IsUtf8CodePage()
{
    return GetACP() == CP_UTF8;
}

}  // namespace

tstring::tstring() {}

tstring::tstring(std::wstring& text) : base(text) {}

tstring::tstring(const tstring& other) : base(other.base) {}

tstring::tstring(const wchar_t* text)
{
    if (text) base = text;
}

tstring::tstring(wchar_t* text) : tstring(static_cast<const wchar_t*>(text)) {}

tstring::tstring(char* ansiText)
{
    InitFromMultiByte(ansiText);
}

tstring::~tstring() {}

tstring& tstring::operator=(std::wstring& text)
{
    base = text.c_str();
    return *this;
}

tstring& tstring::operator=(const tstring& other)
{
    base = other.base;
    return *this;
}

tstring::operator const wchar_t*()
{
    return base.c_str();
}

const wchar_t* tstring::Data()
{
    return base.c_str();
}

std::wstring& tstring::GetBase()
{
    return base;
}

// Not toupper/tolower: their result for code units above 255 is undefined, and the
// system only ever meant the ASCII letters to change.
tstring& tstring::MakeUpper()
{
    for (wchar_t& ch : base) {
        if (ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - L'a' + L'A');
    }
    return *this;
}

tstring& tstring::MakeLower()
{
    for (wchar_t& ch : base) {
        if (ch >= L'A' && ch <= L'Z') ch = static_cast<wchar_t>(ch - L'A' + L'a');
    }
    return *this;
}

tstring& tstring::TrimLeft(wchar_t ch)
{
    std::wstring::size_type first = base.find_first_not_of(ch);
    if (first == std::wstring::npos) base.clear();
    else base.erase(0, first);
    return *this;
}

tstring& tstring::TrimRight(wchar_t ch)
{
    std::wstring::size_type last = base.find_last_not_of(ch);
    if (last == std::wstring::npos) base.clear();
    else base.erase(last + 1);
    return *this;
}

tstring& tstring::Trim(wchar_t ch)
{
    TrimLeft(ch);
    return TrimRight(ch);
}

void tstring::Format(const wchar_t* format, ...)
{
    wchar_t buffer[kFormatBufferSize] = {};
    if (format) {
        va_list args;
        va_start(args, format);
        _vsnwprintf(buffer, kFormatBufferSize, format, args);
        va_end(args);
    }
    // On a full buffer the runtime writes no terminator.
    buffer[kFormatBufferSize - 1] = L'\0';
    base = buffer;
}

void tstring::ReplaceAll(const wchar_t* oldText, const wchar_t* newText)
{
    if (!oldText || !*oldText) return;
    const std::wstring::size_type oldLength = wcslen(oldText);
    const std::wstring replacement = newText ? newText : L"";
    std::wstring::size_type position = 0;
    while ((position = base.find(oldText, position)) != std::wstring::npos) {
        base.replace(position, oldLength, replacement);
        position += replacement.size();
    }
}

void tstring::Replace(const wchar_t* oldText, const wchar_t* newText, int start)
{
    if (!oldText || !*oldText) return;
    std::wstring::size_type position = base.find(oldText, ToPosition(start));
    if (position == std::wstring::npos) return;
    base.replace(position, wcslen(oldText), newText ? newText : L"");
}

void tstring::Replace(wchar_t* buffer, unsigned long count, wchar_t newChar, wchar_t oldChar)
{
    if (!buffer) return;
    for (unsigned long i = 0; i < count; ++i) {
        if (buffer[i] == oldChar) buffer[i] = newChar;
    }
}

tstring tstring::Mid(int start)
{
    std::wstring piece = base.substr(ToPosition(start));
    return tstring(piece);
}

tstring tstring::Mid(int start, int count)
{
    std::wstring piece = base.substr(ToPosition(start), count < 0 ? 0 : static_cast<std::wstring::size_type>(count));
    return tstring(piece);
}

tstring tstring::Left(int count)
{
    return Mid(0, count);
}

tstring tstring::Right(int count)
{
    const int length = static_cast<int>(base.size());
    if (count < 0 || count > length) throw std::out_of_range("tstring::Right: count beyond the length");
    return Mid(length - count);
}

char* tstring::ToMultiByte()
{
    return ToMultiByte(Data());
}

char* tstring::ToMultiByte(const wchar_t* text)
{
    if (!text || !*text) return nullptr;

    const bool utf8 = IsUtf8CodePage();
    const DWORD flags = utf8 ? 0 : WC_COMPOSITECHECK;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultReport = utf8 ? nullptr : &usedDefault;

    int count = WideCharToMultiByte(CP_ACP, flags, text, -1, nullptr, 0, nullptr, usedDefaultReport);
    if (count <= 0) return nullptr;

    char* result = new char[count + 1]();
    usedDefault = FALSE;
    WideCharToMultiByte(CP_ACP, flags, text, -1, result, count, nullptr, usedDefaultReport);
    if (usedDefault) {
        tstring message;
        message.Format(L"%s:字符串不能转化为多字节编码 ", text);
        kit::ShowMessageBox(nullptr, message.Data(), L"信息提示", MB_OK);
    }
    return result;
}

std::vector<tstring> tstring::Spilt(std::wstring delimiters, bool skipEmpty)
{
    if (base.empty() || delimiters.empty()) throw static_cast<const wchar_t*>(L"tokenize: empty string");

    std::vector<tstring> tokens;
    std::wstring::size_type position = 0;
    std::wstring::size_type delimiter = base.find_first_of(delimiters, position);
    while (delimiter != std::wstring::npos) {
        if (delimiter != position) {
            std::wstring piece = base.substr(position, delimiter - position);
            tokens.push_back(tstring(piece));
        } else if (!skipEmpty) {
            tokens.push_back(tstring());
        }
        position = delimiter + 1;
        delimiter = base.find_first_of(delimiters, position);
    }
    if (!skipEmpty || position < base.size()) {
        std::wstring rest = base.substr(position);
        tokens.push_back(tstring(rest));
    }
    return tokens;
}

int tstring::EqualBuffer(unsigned char* a, unsigned char* b, unsigned long count)
{
    if (count == 0) return 1;
    if (!a || !b) return a == b ? 1 : 0;
    return std::memcmp(a, b, count) == 0 ? 1 : 0;
}

int tstring::Find(wchar_t ch)
{
    return ToIndex(base.find(ch));
}

int tstring::Find(const wchar_t* text, int start)
{
    if (!text) return -1;
    return ToIndex(base.find(text, ToPosition(start)));
}

int tstring::ReFind(wchar_t ch)
{
    return ToIndex(base.rfind(ch));
}

void tstring::InitFromMultiByte(char* text)
{
    if (!text || !*text) return;
    const int length = static_cast<int>(std::strlen(text));
    const DWORD flags = IsUtf8CodePage() ? 0 : MB_PRECOMPOSED;
    int needed = MultiByteToWideChar(CP_ACP, flags, text, length, nullptr, 0);
    if (needed <= 0) return;
    std::unique_ptr<wchar_t[]> wide(new wchar_t[needed + 1]());
    MultiByteToWideChar(CP_ACP, flags, text, length, wide.get(), needed);
    wide[needed] = L'\0';
    Format(L"%s", wide.get());
}
