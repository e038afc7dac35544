#include "core/touch/TouchSimulator.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "core/frame/Processes.h"
#include "core/touch/TouchManager.h"
#include "framework/MessageBox.h"

namespace tessaly {
namespace {

const wchar_t kProgram[] = L"Pellux.exe";
const wchar_t kWindowTitle[] = L"Pellux";
const int kWindowAttempts = 500;
const DWORD kAttemptPause = 40;

SimulatorWait& Wait()
{
    static SimulatorWait wait;
    return wait;
}

void Pause(DWORD milliseconds)
{
    if (Wait()) Wait()(milliseconds);
    else Sleep(milliseconds);
}

}  // namespace

bool IsProcessRunning(const wchar_t* imageName)
{
    return AnyProcessRunning({imageName});
}

void StartTouchSimulator(const TouchManager& touch)
{
    if (IsProcessRunning(kProgram)) return;
    if (!touch.win7TouchMode) return;
    if (!PathFileExistsW(kProgram)) return;
    HINSTANCE started = ShellExecuteW(nullptr, L"open", kProgram, nullptr, nullptr, SW_SHOW);
    if (reinterpret_cast<INT_PTR>(started) <= 32) return;

    for (int attempt = 0; attempt < kWindowAttempts; ++attempt) {
        if (FindWindowW(nullptr, kWindowTitle)) return;
        Pause(kAttemptPause);
    }
    kit::ShowMessageBox(nullptr,
                        L"启动win7触控模块不成功\n在设置里面重启win7触控模块\n或检查UAC权限是否最低\n"
                        L"或者设备管理器中的hid是否全部开启",
                        L"tips", MB_OK | MB_ICONWARNING);
}

void StopTouchSimulator()
{
    if (IsProcessRunning(kProgram)) KillProcesses(kProgram);
}

SimulatorWait SetSimulatorWait(SimulatorWait wait)
{
    SimulatorWait previous = Wait();
    Wait() = std::move(wait);
    return previous;
}

}  // namespace tessaly
