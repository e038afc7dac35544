// The driver installation: the presence check on the caller's thread, then an install
// thread that owns the progress window and records a success.
#include "core/driver/DriverInstall.h"

#include <process.h>

#include <atomic>

#include "core/driver/CDlgBruthDriverSetup.h"
#include "core/driver/CDriverInstallDlg.h"
#include "core/driver/DriverPlatform.h"
#include "core/frame/LibraryState.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/ResourceScope.h"

namespace {

// Claimed before the thread exists, so that two callers cannot both start one; the
// thread clears it as its last step.
std::atomic<bool> g_installRunning{false};

void WriteDriverInstalled()
{
    kit::RegistryKey key;
    if (!key.Create(HKEY_CURRENT_USER, L"SOFTWARE\\vrel", KEY_SET_VALUE)) return;
    DWORD value = 0;
    RegSetValueExW(key.Get(), L"bDriverInstalled", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof(value));
}

unsigned __stdcall InstallThreadMain(void* resources)
{
    int success = 0;
    {
        // The window's template is the library's, whatever module this thread would use.
        kit::ModuleStateScope scope(static_cast<HINSTANCE>(resources));
        DRIVER::CDriverInstallDlg dialog;
        dialog.DoModal();
        dialog.WaitForWorker();
        success = dialog.success;
    }
    if (success == 1) WriteDriverInstalled();
    g_installRunning.store(false);
    return 0;
}

void StartInstallThread()
{
    bool idle = false;
    if (!g_installRunning.compare_exchange_strong(idle, true)) return;
    kit::UniqueHandle thread(reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, InstallThreadMain, tessaly::Library().instance, 0, nullptr)));
    if (!thread) g_installRunning.store(false);
}

}  // namespace

bool DRIVER::DriverInstallRunning()
{
    return g_installRunning.load();
}

void DRIVER::InstallDriverFor(HWND parent)
{
    kit::ModuleStateScope scope(tessaly::Library().instance);
    std::wstring infPath = DRIVER::InfPathForThisSystem();
    bool present = false;
    try {
        present = DRIVER::CDlgBruthDriverSetup().IsDevicePresent(infPath);
    } catch (...) {
        present = false;  // an INF that cannot be read serves no device; nothing may reach the caller
    }
    if (present) {
        StartInstallThread();
        return;
    }
    if (parent) kit::ShowMessageBox(GetParent(parent), L"请先插入光机.", L"提示", MB_ICONWARNING);
}
