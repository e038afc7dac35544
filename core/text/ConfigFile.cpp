#include "core/text/ConfigFile.h"

#include <windows.h>

#include <memory>

namespace tessaly {
namespace config {

int ReadInt(const wchar_t* section, const wchar_t* name, int defaultValue)
{
    return static_cast<int>(GetPrivateProfileIntW(section, name, defaultValue, kPath));
}

int ReadInt(const IntKey& key)
{
    return ReadInt(key.section, key.name, key.defaultValue);
}

std::wstring ReadString(const StringKey& key)
{
    std::unique_ptr<wchar_t[]> buffer(new wchar_t[key.bufferSize]());
    GetPrivateProfileStringW(key.section, key.name, L"", buffer.get(), key.bufferSize, kPath);
    return std::wstring(buffer.get());
}

bool WriteInt(const IntKey& key, int value)
{
    wchar_t text[16];
    _snwprintf(text, 15, L"%d", value);
    text[15] = L'\0';
    return WritePrivateProfileStringW(key.section, key.name, text, kPath) != FALSE;
}

bool WriteString(const IntKey& key, const wchar_t* text)
{
    return WritePrivateProfileStringW(key.section, key.name, text, kPath) != FALSE;
}

bool WriteString(const StringKey& key, const wchar_t* text)
{
    return WritePrivateProfileStringW(key.section, key.name, text, kPath) != FALSE;
}

int Language()
{
    int language = ReadInt(kLanguage);
    return language < 1 ? 1 : language;
}

std::vector<tstring> SectionKeys(const wchar_t* section)
{
    // The buffer grows 200, 800, 6,400, 102,400 characters until at least ten stay free.
    const int kLargestStep = 4;
    DWORD size = 100;
    for (int n = 1;; ++n) {
        size *= 1u << n;
        std::unique_ptr<wchar_t[]> buffer(new wchar_t[size]());
        DWORD returned = GetPrivateProfileStringW(section, nullptr, nullptr, buffer.get(), size, kPath);
        if (returned == 0) return std::vector<tstring>();
        if (size - returned < 10 && n < kLargestStep) continue;
        tstring::Replace(buffer.get(), returned, L'\r', L'\0');
        std::wstring text(buffer.get(), returned);
        std::vector<tstring> names = tstring(text).Spilt(L"\r", true);
        // Past the largest buffer the listing stops rather than growing without end. An
        // overfull buffer ends in a cut name (size - 2 returned): only whole names are kept.
        if (returned >= size - 2 && !names.empty()) names.pop_back();
        return names;
    }
}

}  // namespace config
}  // namespace tessaly
