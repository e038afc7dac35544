#pragma once
// Notices a clock that was set (by hand, by time synchronisation, by a test's seam) against
// the tick count, which only runs on: where the schedule plays, the log says why a boundary
// came early or late.
#include <windows.h>

#include <string>
#include <vector>

namespace launcher {

class ClockJumps {
public:
    // Less than this is drift and timer jitter, not a set clock.
    static constexpr LONGLONG kToleranceMs = 30000;

    // The lines to log for every move since the last look; none at the first look.
    std::vector<std::wstring> Check();

private:
    bool looked_ = false;
    ULONGLONG ticks_ = 0, wallMs_ = 0, clockMs_ = 0;
};

}  // namespace launcher
