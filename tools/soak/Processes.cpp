#include "tools/soak/Processes.h"

#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cwctype>

#include "framework/Handles.h"

namespace soak {
namespace {

const int kSettingsButton = 1000;  // IDC_BTN_SETTING of the launcher

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

ULONGLONG FileTimeValue(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}


}  // namespace

std::wstring LowerName(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    return Lower(slash == std::wstring::npos ? path : path.substr(slash + 1));
}

std::wstring ImagePath(DWORD pid)
{
    kit::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return L"";
    wchar_t path[MAX_PATH * 2] = L"";
    DWORD size = MAX_PATH * 2;
    if (!QueryFullProcessImageNameW(process.Get(), 0, path, &size)) return L"";
    return path;
}

std::vector<DWORD> ProcessIds(const std::wstring& imageName)
{
    std::vector<DWORD> ids;
    kit::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    std::wstring wanted = Lower(imageName);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
        if (Lower(entry.szExeFile) == wanted) ids.push_back(entry.th32ProcessID);
    return ids;
}

DWORD NewestProcessOf(const std::wstring& program)
{
    DWORD newest = 0;
    ULONGLONG newestAge = ~0ULL;
    for (DWORD pid : ProcessIds(LowerName(program))) {
        if (Lower(ImagePath(pid)) != Lower(program)) continue;
        ULONGLONG age = ProcessAgeMs(pid);
        if (age < newestAge) newest = pid, newestAge = age;
    }
    return newest;
}

ULONGLONG ProcessAgeMs(DWORD pid)
{
    kit::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    if (!process || !GetProcessTimes(process.Get(), &created, &exited, &kernel, &user)) return 0;
    GetSystemTimeAsFileTime(&now);
    ULONGLONG from = FileTimeValue(created), to = FileTimeValue(now);
    return to > from ? (to - from) / 10000 : 0;
}

bool Alive(DWORD pid)
{
    kit::UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    return process && WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

namespace {

// The system's list of processes holds every process's handle count; Wine answers
// GetProcessHandleCount with 0.
DWORD HandlesFromProcessList(DWORD pid)
{
    std::vector<char> buffer(1 << 20);
    ULONG length = 0;
    while (NtQuerySystemInformation(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                                    &length) == static_cast<NTSTATUS>(0xC0000004L)) {  // too small
        if (buffer.size() >= (64u << 20)) return 0;
        buffer.resize(buffer.size() * 2);
    }
    for (size_t at = 0; at + sizeof(SYSTEM_PROCESS_INFORMATION) <= buffer.size();) {
        auto* entry = reinterpret_cast<SYSTEM_PROCESS_INFORMATION*>(&buffer[at]);
        if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId)) == pid) return entry->HandleCount;
        if (!entry->NextEntryOffset) break;
        at += entry->NextEntryOffset;
    }
    return 0;
}

}  // namespace

ProcessCost CostOf(DWORD pid)
{
    ProcessCost cost;
    cost.pid = pid;
    kit::UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (!process) return cost;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    if (!GetProcessHandleCount(process.Get(), &cost.handles) || cost.handles == 0)
        cost.handles = HandlesFromProcessList(pid);
    cost.read = GetProcessMemoryInfo(process.Get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    // The commit charge: Windows gives it in both fields, Wine only in the page file's.
    cost.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    return cost;
}

namespace {

struct BarSearch {
    DWORD pid;
    HWND bar;
};

BOOL CALLBACK FindBar(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<BarSearch*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || !GetDlgItem(window, kSettingsButton)) return TRUE;
    search->bar = window;
    return FALSE;
}

struct DialogSearch {
    DialogsLeft* left;
    std::vector<DWORD> crashPids;
};

BOOL CALLBACK CountDialog(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<DialogSearch*>(context);
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    if (std::wstring(name) != L"#32770" || !IsWindowVisible(window) || GetDlgItem(window, kSettingsButton))
        return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId()) return TRUE;
    if (std::find(search->crashPids.begin(), search->crashPids.end(), pid) != search->crashPids.end()) return TRUE;
    wchar_t title[128] = L"";
    GetWindowTextW(window, title, 128);
    ++search->left->otherDialogs;
    search->left->names += L" \"" + std::wstring(title) + L"\" of " + LowerName(ImagePath(pid));
    return TRUE;
}

}  // namespace

HWND BarOf(DWORD pid)
{
    BarSearch search{pid, nullptr};
    EnumWindows(FindBar, reinterpret_cast<LPARAM>(&search));
    return search.bar;
}

DialogsLeft CountDialogsLeft()
{
    DialogsLeft left;
    DialogSearch search{&left, {}};
    for (const wchar_t* image : {L"winedbg.exe", L"WerFault.exe"}) {
        for (DWORD pid : ProcessIds(image)) {
            search.crashPids.push_back(pid);
            ++left.crashDialogs;
            left.names += L" " + LowerName(image) + L" " + std::to_wstring(pid);
        }
    }
    EnumWindows(CountDialog, reinterpret_cast<LPARAM>(&search));
    return left;
}

void EndProcesses(const std::wstring& imageName, const std::wstring& folder)
{
    for (DWORD pid : ProcessIds(imageName)) {
        if (!folder.empty() && Lower(ImagePath(pid)).compare(0, folder.size() + 1, Lower(folder) + L"\\") != 0)
            continue;
        kit::UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
        if (!process) continue;
        TerminateProcess(process.Get(), 1);
        WaitForSingleObject(process.Get(), 5000);
    }
}

}  // namespace soak
