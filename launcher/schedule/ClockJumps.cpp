#include "launcher/schedule/ClockJumps.h"

#include "launcher/supervision/LocalTime.h"
#include "launcher/supervision/SupervisionClock.h"

namespace launcher {
namespace {

std::wstring Move(LONGLONG ms)
{
    LONGLONG seconds = (ms < 0 ? -ms : ms) / 1000;
    return std::to_wstring(seconds) + (ms < 0 ? L" s back" : L" s forward");
}

}  // namespace

std::vector<std::wstring> ClockJumps::Check()
{
    ULONGLONG ticks = GetTickCount64();
    ULONGLONG wallMs = supervision::SystemNow() / 10000;
    ULONGLONG clockMs = supervision::ClockNow();
    std::vector<std::wstring> lines;
    if (looked_) {
        LONGLONG elapsed = static_cast<LONGLONG>(ticks - ticks_);
        LONGLONG wall = static_cast<LONGLONG>(wallMs - wallMs_) - elapsed;
        LONGLONG clock = static_cast<LONGLONG>(clockMs - clockMs_) - elapsed;
        if (wall > kToleranceMs || wall < -kToleranceMs) {
            std::string now = supervision::IsoLocalTimeNow();
            lines.push_back(L"the clock moved " + Move(wall) + L"; local time now " +
                            std::wstring(now.begin(), now.end()));
        }
        if (clock > kToleranceMs || clock < -kToleranceMs)
            lines.push_back(L"the supervision's clock moved " + Move(clock) + L" (PAVORA_CLOCK_SHIFT_FILE)");
    }
    looked_ = true;
    ticks_ = ticks;
    wallMs_ = wallMs;
    clockMs_ = clockMs;
    return lines;
}

}  // namespace launcher
