#include "launcher/supervision/LocalTime.h"

#include <cstdio>
#include <cstdlib>

#include "launcher/supervision/SupervisionClock.h"

namespace supervision {

std::string IsoLocalTime(const SYSTEMTIME& local)
{
    // The offset is the local time's distance from the UTC time of the same instant, which
    // holds daylight saving without asking which rule applies.
    SYSTEMTIME utc{};
    FILETIME localFile{}, utcFile{};
    long offsetMinutes = 0;
    if (TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) && SystemTimeToFileTime(&local, &localFile) &&
        SystemTimeToFileTime(&utc, &utcFile)) {
        ULARGE_INTEGER a{}, b{};
        a.LowPart = localFile.dwLowDateTime, a.HighPart = localFile.dwHighDateTime;
        b.LowPart = utcFile.dwLowDateTime, b.HighPart = utcFile.dwHighDateTime;
        long long difference = static_cast<long long>(a.QuadPart) - static_cast<long long>(b.QuadPart);
        offsetMinutes = static_cast<long>(difference / 600000000LL);
    }
    char text[40];
    long magnitude = std::labs(offsetMinutes);
    std::snprintf(text, sizeof(text), "%04u-%02u-%02uT%02u:%02u:%02u%c%02ld:%02ld", local.wYear, local.wMonth,
                  local.wDay, local.wHour, local.wMinute, local.wSecond, offsetMinutes < 0 ? '-' : '+',
                  magnitude / 60, magnitude % 60);
    return text;
}

std::string IsoLocalTimeNow()
{
    SYSTEMTIME local{};
    LocalNow(local);
    return IsoLocalTime(local);
}

std::string IsoLocalTimeIn(ULONGLONG ms)
{
    ULONGLONG value = SystemNow() + ms * 10000ULL;
    FILETIME later{};
    later.dwLowDateTime = static_cast<DWORD>(value), later.dwHighDateTime = static_cast<DWORD>(value >> 32);
    SYSTEMTIME utc{}, local{};
    if (!FileTimeToSystemTime(&later, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return IsoLocalTimeNow();
    return IsoLocalTime(local);
}

std::string LogTimeNow()
{
    SYSTEMTIME local{};
    LocalNow(local);
    char text[32];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u.%03u", local.wYear, local.wMonth, local.wDay,
                  local.wHour, local.wMinute, local.wSecond, local.wMilliseconds);
    return text;
}

}  // namespace supervision
