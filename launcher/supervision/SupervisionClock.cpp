#include "launcher/supervision/SupervisionClock.h"

#include <cstdio>
#include <cstdlib>
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
    char text[24] = "";
    size_t read = std::fread(text, 1, sizeof(text) - 1, file);
    std::fclose(file);
    text[read] = '\0';
    return now + std::strtoull(text, nullptr, 10) * 1000;
}

}  // namespace supervision
