#pragma once

namespace launcher {

// The keys of Bin\config.ini that decide the launcher's start. The library owns the
// file and writes it; the launcher only reads, at the moment it needs a value.

// The device in use is the sign pen (DEVICETYPE 1) or the laser (2).
bool IsPenMode();
// "auto": start the effect rotation at start-up.
bool IsAutoRotation();
// "StartWin7Touch": start the media show at start-up.
bool StartsMediaShow();

}  // namespace launcher
