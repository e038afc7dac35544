// What the installer test needs done on the Windows side:
//   pavora_installed_launcher start SHORTCUT FOLDER TITLE [EFFECT]
//     starts the shortcut from FOLDER as the shell would (log-on starts in the system folder),
//     waits for the bar titled TITLE and, when given, for a process named EFFECT; then closes
//     the bar. Exit code 0 when both showed.
//   pavora_installed_launcher register SHORTCUT
//     copies SHORTCUT into the user's Startup folder as Pavora.lnk, as the general page
//     registers the launcher; prints the folder.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>

namespace {

bool ProcessRuns(const wchar_t* image)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry))
        found = _wcsicmp(entry.szExeFile, image) == 0;
    CloseHandle(snapshot);
    return found;
}

void EndProcesses(const wchar_t* image)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, image) != 0) continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(process, 1);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount(); !condition(); Sleep(100))
        if (GetTickCount() - start > timeoutMs) return false;
    return true;
}

int Start(const wchar_t* shortcut, const wchar_t* folder, const wchar_t* title, const wchar_t* effect)
{
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    start.lpFile = shortcut;
    start.lpDirectory = folder;
    start.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&start)) {
        std::printf("the shortcut did not start (error %lu)\n", GetLastError());
        return 1;
    }
    HWND bar = nullptr;
    bool shown = WaitFor([&] { return (bar = FindWindowW(nullptr, title)) != nullptr; }, 20000);
    std::printf(shown ? "bar shown with the installation's title\n" : "no bar with that title\n");
    bool played = !effect || WaitFor([&] { return ProcessRuns(effect); }, 20000);
    if (effect) std::printf(played ? "start-up effect running\n" : "no start-up effect\n");
    if (bar) PostMessageW(bar, WM_CLOSE, 0, 0);
    if (start.hProcess) {
        if (WaitForSingleObject(start.hProcess, 15000) == WAIT_TIMEOUT) TerminateProcess(start.hProcess, 1);
        CloseHandle(start.hProcess);
    }
    WaitFor([] { return !ProcessRuns(L"Pavora.exe"); }, 10000);
    EndProcesses(L"Pavora.exe");
    if (effect) EndProcesses(effect);
    return shown && played ? 0 : 1;
}

int Register(const wchar_t* shortcut)
{
    wchar_t folder[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return 1;
    std::wstring target = std::wstring(folder) + L"\\Pavora.lnk";
    if (!CopyFileW(shortcut, target.c_str(), FALSE)) return 1;
    std::printf("%ls\n", folder);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"start" && argc >= 5) return Start(argv[2], argv[3], argv[4], argc > 5 ? argv[5] : nullptr);
    if (command == L"register" && argc == 3) return Register(argv[2]);
    std::printf("usage: start SHORTCUT FOLDER TITLE [EFFECT] | register SHORTCUT\n");
    return 2;
}
