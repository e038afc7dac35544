// Runs the library's manual calibration window the way a program of the installation
// would, and ends when the window is closed.
#include <windows.h>

#include "core/library/TessalyApi.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    ShowMultiCameraCalibDlg();
    return 0;
}
