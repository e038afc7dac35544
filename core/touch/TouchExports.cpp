// The exports of the touch state and Windows 7 touch mode.
#include "core/frame/TessalyApi.h"

#include "core/frame/BrimwellApp.h"
#include "core/touch/TouchManager.h"

bool __stdcall IsWindows7TouchMode()
{
    TouchManager* touch = TheApp().touchManager;
    return touch && touch->win7TouchMode != 0;
}

void SetWin7TouchMode()
{
    if (TouchManager* touch = TheApp().touchManager) touch->SetWin7TouchMode();
}

void __stdcall MyRegisterTouchWindow(HWND window)
{
    if (TouchManager* touch = TheApp().touchManager) touch->RegisterTouchWindow(window);
}

void __stdcall MyUnRegisterTouchWindow(HWND window)
{
    if (TouchManager* touch = TheApp().touchManager) touch->UnregisterTouchWindow(window);
}
