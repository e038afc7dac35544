#include "launcher/supervision/SupervisionClock.h"

#include <cstdio>
#include <string>

#include "framework/TestLog.h"

namespace supervision {

ULONGLONG ClockNow()
{
    ULONGLONG now = GetTickCount64();
    static const std::wstring shiftFile = kit::EnvironmentValue(L"PAVORA_CLOCK_SHIFT_FILE");
    if (shiftFile.empty()) return now;
    FILE* file = _wfopen(shiftFile.c_str(), L"rb");
    if (!file) return now;
    unsigned long long seconds = 0;
    if (std::fscanf(file, "%llu", &seconds) != 1) seconds = 0;
    std::fclose(file);
    return now + seconds * 1000;
}

}  // namespace supervision
