// The exports of the touch state and Windows 7 touch mode.
#include "core/library/TessalyApi.h"

#include "core/touch/TouchManager.h"

bool __stdcall IsWindows7TouchMode()
{
    TouchManager* touch = TouchManager::Current();
    return touch && touch->win7TouchMode != 0;
}

void SetWin7TouchMode()
{
    if (TouchManager* touch = TouchManager::Current()) touch->SetWin7TouchMode();
}

void __stdcall MyRegisterTouchWindow(HWND window)
{
    if (TouchManager* touch = TouchManager::Current()) touch->RegisterTouchWindow(window);
}

void __stdcall MyUnRegisterTouchWindow(HWND window)
{
    if (TouchManager* touch = TouchManager::Current()) touch->UnregisterTouchWindow(window);
}
