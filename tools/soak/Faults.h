#pragma once
// The faults the soak injects: their kinds, the order a seed gives them, the ways to cause
// them, and the log lines that speak of each.
#include <windows.h>

#include <string>
#include <vector>

namespace soak {

enum class Kind {
    EffectCleanExit,
    EffectExitCode,
    EffectCrash,
    EffectCrashDialog,
    EffectHang,
    EffectBusy,
    EffectProgramGone,
    LauncherCrash,
    LauncherHang,
    LauncherEnd,
    GuardianEnd,
    ClockForward,
    ClockBack,
    ClockAcrossMidnight,
    TickEdge31,
    TickEdge32,
    SettingsSaved,
    LogUnwritable,
    Count
};

const char* KindName(Kind kind);
bool IsEffectFault(Kind kind);
// The launcher dies of it: the guardian starts it again, and keeps pauses between starts of
// a launcher that keeps dying.
bool KillsLauncher(Kind kind);

struct Planned {
    Kind kind;
    unsigned value;  // an exit code, busy milliseconds
};

struct Available {
    bool guardian = false;   // the installation holds the guardian
    bool localTime = false;  // the launcher reads the local-time shift
};

// `count` faults in rounds: each round holds every kind that can be caused once, the ones
// that kill the launcher taking one place between them in turn; the seed shuffles each round.
std::vector<Planned> Plan(size_t count, unsigned seed, const Available& available);

// Whether the lines written after a fault (the launcher's log, the guardian's) speak of it.
// For a busy effect, that none speaks of a fault: nothing is to happen.
bool Logged(const Planned& fault, const std::vector<std::string>& launcher, const std::vector<std::string>& guard);

// The stand-in effect's window command (tools/faultyeffect).
enum EffectCommand : WPARAM { kEffectExit = 1, kEffectCrash = 2, kEffectCrashDialog = 3, kEffectHang = 4, kEffectBusy = 5 };
bool CommandEffect(HWND window, EffectCommand command, LPARAM value);
bool PressEscape(HWND window);

// An access violation on a thread of its own in the process.
bool CrashRemotely(DWORD pid);
// Every thread suspended: the process stops in whatever it did.
bool SuspendAllThreads(DWORD pid);
bool EndAbruptly(DWORD pid);

// The settings sheet opened from the bar, one harmless setting (the touch filter) changed and
// OK pressed, as an operator does; false when a step did not go.
bool SaveSettingsInSheet(HWND bar, std::string& problem);

// The log files held open without sharing and the folder read-only, for as long as it lives.
class LogFolderHeld {
public:
    explicit LogFolderHeld(const std::wstring& logFolder);
    ~LogFolderHeld();
    LogFolderHeld(const LogFolderHeld&) = delete;
    LogFolderHeld& operator=(const LogFolderHeld&) = delete;

private:
    std::wstring folder_;
    DWORD attributes_;
    std::vector<HANDLE> held_;
};

}  // namespace soak
