#pragma once
// Whether this edition of Windows takes touch input, so that Windows 7 touch mode is offered.
#include <windows.h>

#include "framework/SystemVersion.h"

namespace tessaly {

// Version 6.2 always; other versions from 6 on by edition (Ultimate, Home Premium,
// Server Standard, Professional).
bool SupportsTouch(kit::SystemVersionSource& source);
// Asks kit::CurrentSystemVersion().
bool SupportsTouch();

// The Windows 9x family (top bit of GetVersion) is never asked.
bool IsWin9xFamily();
// What the touch state and the settings page test before offering the mode.
bool TouchPlatformSupported();

}  // namespace tessaly
