// Start-up and shutdown calls of the library: InitData and CloseCCV.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <memory>
#include <string>
#include <vector>

#include "core/library/BrimwellApp.h"
#include "core/frame/LibraryState.h"
#include "core/frame/Processes.h"
#include "core/library/TessalyApi.h"
#include "core/text/ConfigFile.h"
#include "core/touch/Cursor.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/ResourceScope.h"

namespace {

const wchar_t kKeepAwakeProgram[] = L"Tavisto.exe";

// Copied installations often arrive read-only (from a disc or an archive); the tracker
// and the settings pages must be able to write their files. The pattern is quoted and
// separated from the folder so that blanks in the path work and sibling folders that
// merely start with the same name are left alone.
void ClearReadOnlyBelow(const std::wstring& folder)
{
    std::wstring pattern = folder;
    if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    std::wstring parameters = L"/c attrib \"" + pattern + L"\" -r /s /d";
    ShellExecuteW(nullptr, L"open", L"cmd.exe", parameters.c_str(), nullptr, SW_HIDE);
}

// Starting a process costs the shell tens of milliseconds, and the launcher's bar shows
// only once InitData has returned; nothing waits for the command, so it is started from a
// thread of its own. The thread holds the library until it has ended.
kit::UniqueHandle g_clearing;

struct ClearingStart {
    std::wstring folder;
    HMODULE held;
};

DWORD WINAPI ClearReadOnlyThread(void* parameter)
{
    HMODULE held = static_cast<ClearingStart*>(parameter)->held;
    {
        std::unique_ptr<ClearingStart> start(static_cast<ClearingStart*>(parameter));
        HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        ClearReadOnlyBelow(start->folder);
        if (SUCCEEDED(com)) CoUninitialize();
    }
    FreeLibraryAndExitThread(held, 0);
    return 0;
}

void StartClearingReadOnly(const std::wstring& folder)
{
    HMODULE held = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&ClearReadOnlyThread),
                       &held);
    std::unique_ptr<ClearingStart> start(new ClearingStart{folder, held});
    HANDLE thread = held ? CreateThread(nullptr, 0, ClearReadOnlyThread, start.get(), 0, nullptr) : nullptr;
    if (!thread) {
        if (held) FreeLibrary(held);
        ClearReadOnlyBelow(folder);
        return;
    }
    start.release();
    g_clearing.Reset(thread);
}

// A launcher that ends at once must still have started the command.
void FinishClearingReadOnly()
{
    if (!g_clearing) return;
    WaitForSingleObject(g_clearing.Get(), 5000);
    g_clearing.Reset();
}

// Security programs that block the mouse input or the camera of the pen and laser devices.
void WarnAboutSecurityPrograms()
{
    namespace config = tessaly::config;
    if (deviceType == 0 || config::ReadInt(config::kCheck360) == 0) return;
    if (!tessaly::AnyProcessRunning({L"360tray.exe", L"360safe.exe", L"AVP.exe", L"rav.exe"})) return;
    kit::ShowMessageBox(nullptr, L"发现360等杀毒,请退出\n否则鼠标无响应或摄像头打不开", L"信息提示",
                        MB_OK | MB_ICONWARNING);
}

}  // namespace

void __stdcall InitData(void* ownerWindow)
{
    kit::ModuleStateScope scope(tessaly::Library().instance);
    TheApp().ownerWindow = ownerWindow;
    // The launcher hands over its bar; the settings windows stand on it, above its topmost layer.
    if (ownerWindow) kit::SetDefaultOwner(static_cast<kit::Dialog*>(ownerWindow)->Handle());

    // The installation is the library's folder, whatever folder is current by now.
    wchar_t folder[MAX_PATH + 1] = L"";
    DWORD length = GetModuleFileNameW(tessaly::Library().instance, folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH && wcsrchr(folder, L'\\')) {
        *wcsrchr(folder, L'\\') = L'\0';
        StartClearingReadOnly(folder);
    }

    if (tessaly::config::ReadInt(tessaly::config::kDotCursor) != 0) SetDotCursor(true);
    WarnAboutSecurityPrograms();
    tessaly::StartProgramIfPresent(kKeepAwakeProgram, SW_SHOW);
}

// The keep-awake program is looked for beside the program file here, not in the
// current directory as at start: the two differ when the launcher was started from elsewhere.
void __stdcall CloseCCV()
{
    kit::ModuleStateScope scope(tessaly::Library().instance);
    FinishClearingReadOnly();

    wchar_t program[MAX_PATH + 1] = L"";
    DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        std::wstring path(program, length);
        path.erase(path.rfind(L'\\') + 1);
        path += kKeepAwakeProgram;
        if (PathFileExistsW(path.c_str())) tessaly::KillProcesses(path.c_str());
    }
    RestoreCursor();
}
