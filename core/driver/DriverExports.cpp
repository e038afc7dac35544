// Driver installation: filled in with the driver work.
#include "core/frame/TessalyApi.h"

void __stdcall InstallDriver(HWND parent, int ignored) {}
