// The exported driver installation.
#include "core/library/TessalyApi.h"

#include "core/driver/DriverInstall.h"

void __stdcall InstallDriver(HWND parent, int /*ignored*/)
{
    DRIVER::InstallDriverFor(parent);
}
