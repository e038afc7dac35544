#pragma once
// The touch simulator "Pellux.exe", a program of the installation that presents the
// tracker's points to Windows as touch input; it shows a window titled "Pellux" once
// it is ready.
#include <windows.h>

#include <functional>

class TouchManager;

namespace tessaly {

// Some running process has this executable name (case ignored).
bool IsProcessRunning(const wchar_t* imageName);

// Starts the simulator from the current folder when Windows 7 touch mode is on and no
// copy runs yet, then waits up to 500 x 40 ms for its window; a warning if it never
// appears. A missing program or a failed start is silent.
void StartTouchSimulator(const TouchManager& touch);
// Ends every running copy.
void StopTouchSimulator();

// How the start waits between two looks for the window: Sleep unless replaced.
using SimulatorWait = std::function<void(DWORD milliseconds)>;
// An empty function puts Sleep back. Returns the one it replaces.
SimulatorWait SetSimulatorWait(SimulatorWait wait);

}  // namespace tessaly
