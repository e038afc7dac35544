#pragma once
// The launcher's clocks, and the seams through which whole-program tests and the fault soak
// move them: PAVORA_CLOCK_SHIFT_FILE names a file holding seconds added to the tick clock of
// the supervision's long waits (failure windows, quarantine); PAVORA_LOCAL_TIME_SHIFT_FILE
// one holding seconds (negative too) added to the wall clock that the schedule, the log and
// the status read. Unset, they are the system's clocks.
#include <windows.h>

namespace supervision {

// Milliseconds for the supervision's long waits.
ULONGLONG ClockNow();
// The wall clock: UTC in FILETIME units, and local time.
ULONGLONG SystemNow();
void LocalNow(SYSTEMTIME& local);

}  // namespace supervision
