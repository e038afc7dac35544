#pragma once
// Minidumps of a crashed or hung launcher in log\dumps\, taken before it is ended, so that
// its maker can see where it was; the five newest are kept.
#include <windows.h>

#include <string>

#include "guardian/GuardNames.h"

namespace guardian {

class CrashDumps {
public:
    static constexpr size_t kKept = 5;

    explicit CrashDumps(std::wstring folder) : folder_(std::move(folder)) {}
    // Writes "Pavora-<local time>-<why>.dmp"; its name, or empty with `problem` set. `note`:
    // the launcher's own word on its crash, whose exception the dump then holds.
    std::wstring Write(HANDLE process, DWORD pid, const wchar_t* why, const CrashNote* note, std::wstring& problem);

private:
    void KeepNewest();

    std::wstring folder_;  // log\dumps
};

}  // namespace guardian
