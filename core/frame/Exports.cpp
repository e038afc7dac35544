// The exports whose behaviour belongs to the library frame itself.
#include "core/frame/TessalyApi.h"

#include "core/frame/LibraryState.h"

void __stdcall InitData(void* ownerWindow) {}
void __stdcall CloseCCV() {}

void __stdcall SetPointCallBackMethod(PointCallback callback)
{
    tessaly::Library().pointCallback = callback;
}

void SetCalibrationPointNum(int count)
{
    tessaly::Library().calibrationPointCount = count;
}

int Reset() { return 0; }
void __stdcall GeneralSetting() {}
void ShowScreenAreaDlg() {}
void ShowMultiCameraCalibDlg() {}
void ShowQuickToolBar(int showCommand) {}

// What the callers expect of these is that they return; the tracker does the work itself.
void __stdcall Calibration(int rows, int columns) {}
void __stdcall CloseCab() {}
void __stdcall RectifyCamera() {}
void __stdcall RefreshBkGround() {}
void __stdcall SetManagerSmooth(int value) {}

int KillProcessByName(const wchar_t* name) { return 0; }
void OpenCmdByCommand(std::wstring commandLine, unsigned short showCommand, int wait) {}
