// The driver installation: the presence check on the caller's thread, then an install
// thread that owns the progress window and records a success.
#include "core/driver/DriverInstall.h"

#include <process.h>

#include "core/driver/CDlgBruthDriverSetup.h"
#include "core/driver/CDriverInstallDlg.h"
#include "core/driver/DriverPlatform.h"
#include "core/frame/LibraryState.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/ResourceScope.h"

namespace {

// Null when no installation runs. Claimed with a placeholder before the thread exists, so
// that two callers cannot both start one.
HANDLE volatile g_installThread = nullptr;
HANDLE const kStarting = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-2));

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
    HANDLE self = InterlockedExchangePointer(const_cast<HANDLE*>(&g_installThread), nullptr);
    if (self && self != kStarting) CloseHandle(self);
    return 0;
}

void StartInstallThread()
{
    if (InterlockedCompareExchangePointer(const_cast<HANDLE*>(&g_installThread), kStarting, nullptr) != nullptr)
        return;
    // Suspended until its handle is stored, so that its own clearing cannot come first.
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, InstallThreadMain,
                                                            tessaly::Library().instance, CREATE_SUSPENDED, nullptr));
    InterlockedExchangePointer(const_cast<HANDLE*>(&g_installThread), thread);
    if (thread) ResumeThread(thread);
}

}  // namespace

bool DRIVER::DriverInstallRunning()
{
    return g_installThread != nullptr;
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
        if (!g_installThread) StartInstallThread();
        return;
    }
    if (parent) kit::ShowMessageBox(GetParent(parent), L"请先插入光机.", L"提示", MB_ICONWARNING);
}
