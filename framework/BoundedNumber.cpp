#include "framework/BoundedNumber.h"

#include <cwchar>

namespace kit {

DWORD ReadBoundedNumber(const wchar_t* file, const wchar_t* section, const wchar_t* key, DWORD fallback, DWORD lowest,
                        DWORD highest, std::vector<std::wstring>& notes)
{
    wchar_t text[64] = L"";
    GetPrivateProfileStringW(section, key, L"", text, 64, file);
    if (!*text) return fallback;
    std::wstring setting = L"[" + std::wstring(section) + L"] " + key + L"=" + text;
    wchar_t* end = nullptr;
    long long value = std::wcstoll(text, &end, 10);
    while (end && (*end == L' ' || *end == L'\t')) ++end;
    if (end == text || (end && *end)) {
        notes.push_back(setting + L" is no whole number; " + std::to_wstring(fallback) + L" is used");
        return fallback;
    }
    DWORD used = value < static_cast<long long>(lowest)    ? lowest
                 : value > static_cast<long long>(highest) ? highest
                                                           : static_cast<DWORD>(value);
    if (static_cast<long long>(used) != value)
        notes.push_back(setting + L" is outside " + std::to_wstring(lowest) + L" to " + std::to_wstring(highest) +
                        L"; " + std::to_wstring(used) + L" is used");
    return used;
}

}  // namespace kit
