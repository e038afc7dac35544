#include "core/frame/Processes.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <cwctype>
#include <utility>
#include <vector>

#include "framework/Handles.h"

namespace tessaly {
namespace {

std::wstring Lower(std::wstring text)
{
    for (wchar_t& ch : text) ch = static_cast<wchar_t>(std::towlower(ch));
    return text;
}

std::wstring Trimmed(const std::wstring& text)
{
    size_t first = 0, last = text.size();
    while (first < last && std::iswspace(text[first])) ++first;
    while (last > first && std::iswspace(text[last - 1])) --last;
    return text.substr(first, last - first);
}

// Calls `visit` for every process of the system until it returns false; false when
// no snapshot could be taken.
template <typename Visit>
bool ForEachProcess(Visit visit)
{
    kit::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
        if (!visit(entry)) break;
    return true;
}

// The image name that KillProcesses looks for.
std::wstring ImageNameToKill(const wchar_t* nameOrPath)
{
    std::wstring name = Trimmed(Lower(nameOrPath));
    size_t slash = name.rfind(L'\\');
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    // A command-file effect runs inside the effect shell: stopping it means stopping the shell.
    if (name.find(L".cmd") != std::wstring::npos) name = L"Nimbrel.exe";
    return name;
}

// How long a stop waits, at most, for the programs it ended to be gone.
constexpr ULONGLONG kEndWaitMs = 2000;

}  // namespace

bool AnyProcessRunning(const std::vector<std::wstring>& imageNames)
{
    bool found = false;
    for (const std::wstring& name : imageNames) {
        std::wstring wanted = Lower(name);
        bool listed = ForEachProcess([&](const PROCESSENTRY32W& entry) {
            found = Lower(entry.szExeFile) == wanted;
            return !found;
        });
        if (!listed || found) return found;
    }
    return false;
}

void StartProgramIfPresent(const wchar_t* file, int showCommand)
{
    if (PathFileExistsW(file)) ShellExecuteW(nullptr, L"open", file, nullptr, nullptr, showCommand);
}

int KillProcesses(const wchar_t* name)
{
    if (!name) return -1;
    std::wstring wanted = ImageNameToKill(name);
    bool matched = false, failed = false;
    std::vector<kit::UniqueHandle> ending;
    ForEachProcess([&](const PROCESSENTRY32W& entry) {
        if (_wcsicmp(entry.szExeFile, wanted.c_str()) != 0) return true;
        matched = true;
        kit::UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        failed = !process || !TerminateProcess(process.Get(), 0);
        if (!failed) ending.push_back(std::move(process));
        return !failed;
    });
    // Termination only begins the end. Whatever starts next under the same program name (the
    // next effect is often the same "effect.exe") must not meet the old one still there.
    const ULONGLONG deadline = GetTickCount64() + kEndWaitMs;
    for (const kit::UniqueHandle& process : ending) {
        ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        WaitForSingleObject(process.Get(), static_cast<DWORD>(deadline - now));
    }
    return matched && !failed ? 1 : 0;
}

void RunCommand(std::wstring commandLine, unsigned short showCommand, int wait)
{
    STARTUPINFOW startup = {};
    GetStartupInfoW(&startup);
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showCommand;
    // These carry the caller's own C runtime hand-over and must be empty for a new process.
    startup.lpReserved = nullptr;
    startup.cbReserved2 = 0;
    startup.lpReserved2 = nullptr;

    std::vector<wchar_t> writable(commandLine.c_str(), commandLine.c_str() + commandLine.size() + 1);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return;
    kit::UniqueHandle process(info.hProcess), thread(info.hThread);
    if (wait) WaitForSingleObject(process.Get(), INFINITE);
}

}  // namespace tessaly
