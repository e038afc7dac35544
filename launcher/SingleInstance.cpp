#include "launcher/SingleInstance.h"

#include <windows.h>

#include <string>

#include "framework/MessageBox.h"
#include "launcher/LanguageText.h"
#include "launcher/BarWiring.h"

namespace {

// One value for all processes of this program file: a data section marked shared.
#if defined(_MSC_VER)
#pragma data_seg(".shared")
volatile LONG g_running = 0;
#pragma data_seg()
#pragma comment(linker, "/SECTION:.shared,RWS")
#else
volatile LONG g_running __attribute__((section(".shared"), shared)) = 0;
#endif

}  // namespace

namespace launcher {

bool ClaimSingleInstance()
{
    // Test and set in one step, so that two copies started together cannot both win.
    return InterlockedCompareExchange(&g_running, 1, 0) == 0;
}

void ShowRunningCopy()
{
    std::wstring title = LanguageText(L"6");
    HWND running = FindWindowW(nullptr, title.c_str());
    if (running) {
        PostMessageW(running, kShowBarMessage, 0, 0);
        return;
    }
    kit::ShowMessageBox(nullptr, L"软件正在运行,请强制关闭后在运行", L"Tips", MB_OK | MB_ICONWARNING);
}

}  // namespace launcher
