#pragma once
// What the soak asks of the processes of the prefix: which run, what they cost, and what
// dialogs they left.
#include <windows.h>

#include <string>
#include <vector>

namespace soak {

std::wstring LowerName(const std::wstring& path);  // the file name of a path, lower case
std::wstring ImagePath(DWORD pid);                  // empty when it cannot be asked
std::vector<DWORD> ProcessIds(const std::wstring& imageName);
// The newest process of this program file (full path, any case); 0 for none.
DWORD NewestProcessOf(const std::wstring& program);
// Milliseconds since the process started; 0 when it cannot be asked.
ULONGLONG ProcessAgeMs(DWORD pid);
bool Alive(DWORD pid);

struct ProcessCost {
    DWORD pid = 0;
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
    bool read = false;
};
ProcessCost CostOf(DWORD pid);

// The launcher's bar: the top-level dialog of the process that holds the settings button.
HWND BarOf(DWORD pid);

// Crash dialogs (their processes), and dialog windows that no one closed: every visible
// top-level "#32770" but the launcher's bar and the crash dialogs' own windows.
struct DialogsLeft {
    int crashDialogs = 0;
    int otherDialogs = 0;
    std::wstring names;  // what they are, for the report
};
DialogsLeft CountDialogsLeft();

void EndProcesses(const std::wstring& imageName, const std::wstring& folder = L"");

}  // namespace soak
