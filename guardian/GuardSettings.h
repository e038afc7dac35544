#pragma once
// Section [guard] of Bin\config.ini, read by the launcher (whether to bring its guardian)
// and by the guardian (how long a silent bar is a hang).
#include <windows.h>

#include <string>
#include <vector>

namespace guardian {

struct GuardSettings {
    bool on = true;
    DWORD hangSeconds = 15;
    std::vector<std::wstring> notes;  // values that were out of range, for the log

    static GuardSettings Read(const wchar_t* file);
};

}  // namespace guardian
