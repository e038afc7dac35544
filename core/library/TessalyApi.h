#pragma once
// The exported interface of Tessaly.dll, as its callers (the launcher) see it.
#include <windows.h>

#include <string>

#include "core/effects/EffectEntry.h"
#include "core/effects/EffectStartedMessage.h"
#include "core/text/tstring.h"

typedef void (*PointCallback)();

extern "C" {

// Library start-up: `ownerWindow` is the caller's window object; it is kept, not used.
void __stdcall InitData(void* ownerWindow);
void __stdcall CloseCCV();
void __stdcall SetPointCallBackMethod(PointCallback callback);
void __stdcall GeneralSetting();
void __stdcall Calibration(int rows, int columns);
void __stdcall CloseCab();
void __stdcall RectifyCamera();
void __stdcall RefreshBkGround();
void __stdcall SetManagerSmooth(int value);
bool __stdcall IsWindows7TouchMode();
void __stdcall MyRegisterTouchWindow(HWND window);
void __stdcall MyUnRegisterTouchWindow(HWND window);
EffectList* __stdcall GetEffectPlayInfo();
void __stdcall InstallDriver(HWND parent, int ignored);

void ShowScreenAreaDlg();
void ShowMultiCameraCalibDlg();
void ShowQuickToolBar(int showCommand);
int Reset();
void SetCalibrationPointNum(int count);
HWND GetFlashWnd();
void SetWin7TouchMode();
unsigned char AnalysisEffectXml();
bool PlayEffect(const wchar_t* path);
BOOL IsCplusEffect(std::wstring path);
int KillProcessByName(const wchar_t* name);
void OpenCmdByCommand(std::wstring commandLine, unsigned short showCommand, int wait);

}  // extern "C"

std::wstring GetLastEffectPath();
void SetLastEffectPath(std::wstring path);

tstring GetLanStr(const wchar_t* id);
tstring GetSettingStr();
