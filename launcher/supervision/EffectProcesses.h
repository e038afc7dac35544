#pragma once
// The processes of an effect: those that stopping it would end, found by program name.
#include <windows.h>

#include <string>
#include <vector>

namespace supervision {

// The program name that ending the effect at `path` looks for: its file name, or the
// effect shell for a command file (which runs inside it).
std::wstring EffectImageName(const std::wstring& path);

struct ProcessInfo {
    DWORD pid;
    DWORD parentPid;
    std::wstring image;  // lower case
};
// Every running process; empty when the system would not list them.
std::vector<ProcessInfo> ListProcesses();

// Lower case, for comparing program names as the system does.
std::wstring LowerName(std::wstring name);

}  // namespace supervision
