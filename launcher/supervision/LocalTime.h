#pragma once
#include <windows.h>

#include <string>

namespace supervision {

// "2026-12-09T14:03:07+01:00": local time with the offset from UTC that holds now.
std::string IsoLocalTime(const SYSTEMTIME& local);
std::string IsoLocalTimeNow();
// The same, `ms` milliseconds from now.
std::string IsoLocalTimeIn(ULONGLONG ms);
// "2026-12-09 14:03:07.250", the log's line start.
std::string LogTimeNow();

}  // namespace supervision
