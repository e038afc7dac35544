#include "tools/soak/ClockShifts.h"

#include <cstdio>

#include "tools/soak/SoakSchedule.h"

namespace soak {
namespace {

void WriteNumber(const std::wstring& path, const std::string& text)
{
    // Written beside and moved over, so that the launcher never reads half a number.
    std::wstring part = path + L".part";
    FILE* file = _wfopen(part.c_str(), L"wb");
    if (!file) return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

ClockShifts::ClockShifts(std::wstring localFile, std::wstring tickFile)
    : localFile_(std::move(localFile)), tickFile_(std::move(tickFile))
{
    WriteLocal();
    WriteTick();
}

long long ClockShifts::LocalSecondOfDay() const
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    long long second = now.wHour * 3600LL + now.wMinute * 60LL + now.wSecond + local_.load();
    second %= 86400;
    return second < 0 ? second + 86400 : second;
}

std::string ClockShifts::LocalStamp() const
{
    SYSTEMTIME now{}, shifted{};
    FILETIME file{};
    GetLocalTime(&now);
    SystemTimeToFileTime(&now, &file);
    ULARGE_INTEGER value{};
    value.LowPart = file.dwLowDateTime, value.HighPart = file.dwHighDateTime;
    value.QuadPart += static_cast<ULONGLONG>(local_.load() * 10000000LL);
    file.dwLowDateTime = value.LowPart, file.dwHighDateTime = value.HighPart;
    FileTimeToSystemTime(&file, &shifted);
    char text[32];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u", shifted.wYear, shifted.wMonth, shifted.wDay,
                  shifted.wHour, shifted.wMinute, shifted.wSecond);
    return text;
}

bool ClockShifts::ClosedNow() const
{
    return schedule_ && SoakSchedule::Closed(static_cast<int>(LocalSecondOfDay() / 60));
}

void ClockShifts::MoveLocal(long long seconds)
{
    local_ += seconds;
    WriteLocal();
}

void ClockShifts::ToNextBoundary(int seconds)
{
    long long now = LocalSecondOfDay();
    long long boundary = SoakSchedule::NextBoundary(static_cast<int>(now / 60)) * 60LL;
    MoveLocal(boundary + seconds - now);
}

void ClockShifts::BeforeMidnight(int seconds)
{
    MoveLocal(86400 - seconds - LocalSecondOfDay());
}

void ClockShifts::BeforeTickEdge(int bits, ULONGLONG beforeMs)
{
    const ULONGLONG edge = 1ULL << bits;
    ULONGLONG now = GetTickCount64() + tick_.load() * 1000;
    // The next value whose low 32 bits are `edge - beforeMs`, ahead of the clock now.
    ULONGLONG target = (now & ~0xFFFFFFFFULL) + ((edge - beforeMs) & 0xFFFFFFFFULL);
    while (target <= now) target += 1ULL << 32;
    // Whole seconds, rounded down: the clock lands a little earlier, never past the edge.
    tick_ += (target - now) / 1000;
    WriteTick();
}

void ClockShifts::WriteLocal()
{
    WriteNumber(localFile_, std::to_string(local_.load()));
}

void ClockShifts::WriteTick()
{
    WriteNumber(tickFile_, std::to_string(tick_.load()));
}

}  // namespace soak
