#pragma once
// Milliseconds for the supervision's long waits (failure windows, quarantine). Whole-program
// tests move it forward through a file named by PAVORA_CLOCK_SHIFT_FILE that holds the
// seconds to add; unset, it is the system's tick count.
#include <windows.h>

namespace supervision {

ULONGLONG ClockNow();

}  // namespace supervision
