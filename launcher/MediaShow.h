#pragma once
#include <windows.h>

namespace launcher {

// Opens the picture browser of the Windows 7 Touch Pack on the installation's
// "MediaContent" folder, or explains why it cannot. Only for pen devices in Windows 7
// touch mode. The current directory is the same afterwards.
void RunMediaShow(HWND bar, bool penMode);

}  // namespace launcher
