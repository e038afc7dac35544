#pragma once
// What the launcher and its guardian agree on: the programs' names, the launcher's command
// line after a restart, and the kernel objects through which they speak. The objects are
// named after the installation folder, so that two installations on one machine keep apart.
#include <windows.h>

#include <string>

namespace guardian {

constexpr wchar_t kGuardProgram[] = L"PavoraGuard.exe";
constexpr wchar_t kLauncherProgram[] = L"Pavora.exe";

// "Pavora.exe /restarted <crash|hang|end> [<dump file name>]": the guardian started the
// launcher again, and why.
constexpr wchar_t kRestartedSwitch[] = L"/restarted";

// Held by the running guardian: one per installation.
std::wstring GuardMutexName(const std::wstring& folder);
// Set by the launcher when the operator ends it: the guardian ends too.
std::wstring ExitEventName(const std::wstring& folder);
// The launcher's crash, handed to the guardian: an event and the note below, per process.
std::wstring CrashEventName(const std::wstring& folder, DWORD launcherPid);
std::wstring CrashNoteName(const std::wstring& folder, DWORD launcherPid);

// Written by the crashed launcher's last act; the pointers are in the launcher's memory.
struct CrashNote {
    DWORD threadId;
    DWORD code;
    ULONGLONG pointers;  // EXCEPTION_POINTERS*
};

// The folder of the running program, without a trailing backslash.
std::wstring ProgramFolder();

}  // namespace guardian
