#pragma once
#include <windows.h>

namespace DRIVER {

// Installs the camera driver when the camera is plugged in, on a thread of its own behind
// a progress window; otherwise warns the owner of `parent`, when one is given.
void InstallDriverFor(HWND parent);

// Whether an installation started by the export still runs (its window, worker or the
// recording of its result), so that callers in the same process can wait for its end.
bool DriverInstallRunning();

}  // namespace DRIVER
