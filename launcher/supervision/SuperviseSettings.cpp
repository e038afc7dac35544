#include "launcher/supervision/SuperviseSettings.h"

#include <cwchar>

namespace supervision {
namespace {

constexpr wchar_t kSection[] = L"supervise";

DWORD ReadNumber(const wchar_t* file, const wchar_t* key, DWORD fallback, DWORD lowest, DWORD highest)
{
    wchar_t text[32] = L"";
    GetPrivateProfileStringW(kSection, key, L"", text, 32, file);
    wchar_t* end = nullptr;
    long long value = std::wcstoll(text, &end, 10);
    if (end == text) return fallback;
    if (value < static_cast<long long>(lowest)) return lowest;
    if (value > static_cast<long long>(highest)) return highest;
    return static_cast<DWORD>(value);
}

}  // namespace

SuperviseSettings SuperviseSettings::Read(const wchar_t* file)
{
    SuperviseSettings s;
    s.on = ReadNumber(file, L"on", 1, 0, 1) != 0;
    // A second is the least that tells a slow frame from a hang; a day is beyond any use.
    s.hangSeconds = ReadNumber(file, L"hangseconds", s.hangSeconds, 1, 86400);
    s.graceSeconds = ReadNumber(file, L"graceseconds", s.graceSeconds, 0, 86400);
    s.retries = ReadNumber(file, L"retries", s.retries, 1, 1000);
    s.retryMinutes = ReadNumber(file, L"retryminutes", s.retryMinutes, 1, 10080);
    s.quarantineMinutes = ReadNumber(file, L"quarantineminutes", s.quarantineMinutes, 0, 10080);
    s.restartOnExit = ReadNumber(file, L"restartonexit", 0, 0, 1) != 0;
    return s;
}

}  // namespace supervision
