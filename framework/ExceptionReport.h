#pragma once
#include <windows.h>

namespace kit {

// Tells the user that an exception reached a window procedure, where it has to stop:
// whatever that message was doing was left unfinished. `what` is the exception's own
// text (ANSI code page), or null when it has none.
void ReportUncaughtException(HWND window, const char* what);

}  // namespace kit
