#pragma once
#include <windows.h>

// The red-dot arrow cursor for edge-blended projections. Both load their cursor from the
// current resource module, so callers outside an export switch to the library first.

// True while the dot is the system's normal arrow.
extern bool dotCursorActive;

// Without `skipQuestion` the user is asked first; No changes nothing.
void SetDotCursor(bool skipQuestion);
// Puts the library's own arrow back, only when the dot is in place.
void RestoreCursor();

// The system call that replaces the normal arrow; tests exchange it to see or fail the change.
using SystemCursorSetter = BOOL(WINAPI*)(HCURSOR cursor, DWORD id);
SystemCursorSetter SetSystemCursorSetter(SystemCursorSetter setter);  // returns the one it replaces
