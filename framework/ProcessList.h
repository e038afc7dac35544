#pragma once
// The running processes, as the system lists them: the supervision finds an effect's
// processes by program name, the guardian its launcher and the crash dialogs.
#include <windows.h>

#include <string>
#include <vector>

namespace kit {

struct ProcessInfo {
    DWORD pid;
    DWORD parentPid;
    std::wstring image;  // lower case
};
// Every running process; empty when the system would not list them.
std::vector<ProcessInfo> ListProcesses();

// Lower case, for comparing program names as the system does.
std::wstring LowerName(std::wstring name);

// What a crash brings up instead of ending the program: Windows Error Reporting, and the
// automatic debugger of the loader we run on. Both are started by the crashed process.
bool IsCrashDialog(const std::wstring& image);

// The full path of a running process's program; empty when it cannot be asked.
std::wstring ProcessImagePath(HANDLE process);

}  // namespace kit
