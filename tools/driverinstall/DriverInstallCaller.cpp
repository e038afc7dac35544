// Calls the library's driver installation the way a program of the installation would,
// and stays until the installation it started has ended (its threads are gone).
//
//   DriverInstallCaller.exe [window] [calls N]
//
// "window": the call passes a child window of a top-level window titled "Driver caller",
// so that a warning gets that window as its owner; otherwise a null window. "calls N":
// the export is called N times in a row (default 1).
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cwchar>
#include <set>
#include <vector>

#include "core/library/TessalyApi.h"

namespace {

std::set<DWORD> OwnThreads()
{
    std::set<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ids.insert(entry.th32ThreadID);
    }
    CloseHandle(snapshot);
    return ids;
}

// Serves this thread's messages until every handle is signalled or the time is up.
void WaitServingMessages(const std::vector<HANDLE>& handles, DWORD timeoutMs)
{
    ULONGLONG start = GetTickCount64();
    size_t done = 0;
    while (done < handles.size()) {
        ULONGLONG elapsed = GetTickCount64() - start;
        if (elapsed >= timeoutMs) return;
        DWORD result = MsgWaitForMultipleObjects(1, &handles[done], FALSE, static_cast<DWORD>(timeoutMs - elapsed),
                                                 QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) {
            ++done;
            continue;
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    bool withWindow = false;
    int calls = 1;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; argv && i < argc; ++i) {
        if (wcscmp(argv[i], L"window") == 0) withWindow = true;
        else if (wcscmp(argv[i], L"calls") == 0 && i + 1 < argc) calls = _wtoi(argv[++i]);
    }
    LocalFree(argv);

    HWND top = nullptr, child = nullptr;
    if (withWindow) {
        top = CreateWindowExW(0, L"STATIC", L"Driver caller", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                              instance, nullptr);
        child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top, nullptr, instance,
                                nullptr);
    }

    std::set<DWORD> before = OwnThreads();
    for (int i = 0; i < calls; ++i) InstallDriver(child, 0);

    std::vector<HANDLE> started;
    for (DWORD id : OwnThreads()) {
        if (before.count(id)) continue;
        if (HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id)) started.push_back(thread);
    }
    WaitServingMessages(started, 30000);
    for (HANDLE thread : started) CloseHandle(thread);
    if (top) DestroyWindow(top);
    return 0;
}
