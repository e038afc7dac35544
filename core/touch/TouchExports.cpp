// Touch state and Windows 7 touch mode: filled in with the touch work.
#include "core/frame/TessalyApi.h"

bool __stdcall IsWindows7TouchMode() { return false; }
void SetWin7TouchMode() {}
void __stdcall MyRegisterTouchWindow(HWND window) {}
void __stdcall MyUnRegisterTouchWindow(HWND window) {}
