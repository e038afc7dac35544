#include "launcher/supervision/SupervisionClock.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/TestLog.h"

namespace supervision {
namespace {

// Read at each call: a test changes the file while the launcher runs.
long long ShiftSeconds(const std::wstring& file)
{
    if (file.empty()) return 0;
    FILE* stream = _wfopen(file.c_str(), L"rb");
    if (!stream) return 0;
    char text[24] = "";
    size_t read = std::fread(text, 1, sizeof(text) - 1, stream);
    std::fclose(stream);
    text[read] = '\0';
    return std::strtoll(text, nullptr, 10);
}

}  // namespace

ULONGLONG ClockNow()
{
    static const std::wstring shiftFile = kit::EnvironmentValue(L"PAVORA_CLOCK_SHIFT_FILE");
    return GetTickCount64() + static_cast<ULONGLONG>(ShiftSeconds(shiftFile)) * 1000;
}

ULONGLONG SystemNow()
{
    static const std::wstring shiftFile = kit::EnvironmentValue(L"PAVORA_LOCAL_TIME_SHIFT_FILE");
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULONGLONG value = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return value + static_cast<ULONGLONG>(ShiftSeconds(shiftFile) * 10000000LL);
}

void LocalNow(SYSTEMTIME& local)
{
    ULONGLONG now = SystemNow();
    FILETIME file{};
    file.dwLowDateTime = static_cast<DWORD>(now);
    file.dwHighDateTime = static_cast<DWORD>(now >> 32);
    SYSTEMTIME utc{};
    if (!FileTimeToSystemTime(&file, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        GetLocalTime(&local);
}

}  // namespace supervision
