#include "tests/support/StagedInstall.h"

#include <shlobj.h>

#include <cstdio>

namespace e2e {

bool StartsFromShortcut(const std::wstring& shortcut, const std::wstring& folder, const std::wstring& title,
                        const wchar_t* effect)
{
    // Resolved here and started as the shell starts a shortcut: its program in its working
    // folder (Wine's shell started a shortcut's program twice now and then).
    wchar_t target[MAX_PATH] = L"", workingFolder[MAX_PATH] = L"";
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load(shortcut.c_str(), STGM_READ))) {
            link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
            link->GetWorkingDirectory(workingFolder, MAX_PATH);
        }
        if (file) file->Release();
        link->Release();
    }
    CoUninitialize();
    std::wstring command = L"\"" + std::wstring(target) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    SetCurrentDirectoryW(folder.c_str());
    if (!*target || !CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                    *workingFolder ? workingFolder : nullptr, &startup, &started)) {
        std::printf("the shortcut did not start (error %lu)\n", GetLastError());
        return false;
    }
    CloseHandle(started.hThread);
    HWND bar = StagedInstall::WaitForWindow(title, 20000, false);
    std::printf(bar ? "bar shown with the installation's title\n" : "no bar with that title\n");
    bool played = !effect || WaitForProcessCount(effect, 1, 20000);
    if (effect) std::printf(played ? "start-up effect running\n" : "no start-up effect\n");
    if (bar) PostMessageW(bar, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(started.hProcess, 15000) == WAIT_TIMEOUT) TerminateProcess(started.hProcess, 1);
    CloseHandle(started.hProcess);
    if (effect) KillProcesses(effect);
    return bar && played;
}

}  // namespace e2e
