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
    EffectBlack,
    EffectFrozen,
    EffectCovered,
    EffectHeartbeatSilent,
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
    bool picture = false;    // the launcher judges the picture, and the screen can be read
    bool covered = false;    // the launcher pushes a covering window under the effect
    bool heartbeat = false;  // the launcher hears the effects' heartbeat
    bool deaths = true;      // the launcher may be made to die (not in a one-life soak)
};

// `count` faults in rounds: each round holds every kind that can be caused once, the ones
// that kill the launcher taking one place between them in turn; the seed shuffles each round.
std::vector<Planned> Plan(size_t count, unsigned seed, const Available& available);

// Whether the lines written after a fault (the launcher's log, the guardian's) speak of it.
// For a busy effect, that none speaks of a fault: nothing is to happen. For a covered one,
// that the soak's own window was named and the effect was not failed.
bool Logged(const Planned& fault, const std::vector<std::string>& launcher, const std::vector<std::string>& guard);

// The stand-in effect's window command (tools/faultyeffect).
enum EffectCommand : WPARAM {
    kEffectExit = 1,
    kEffectCrash = 2,
    kEffectCrashDialog = 3,
    kEffectHang = 4,
    kEffectBusy = 5,
    kEffectPicture = 6,  // value: an EffectPicture
    kEffectBeat = 7,     // value: the heartbeat port; 0 stops the beating
};
enum EffectPicture : LPARAM { kPictureStill, kPictureMoving, kPictureDim, kPictureBlack, kPictureFrozen };
bool CommandEffect(HWND window, EffectCommand command, LPARAM value);
bool PressEscape(HWND window);

// The title of the soak's covering window, as the launcher's log names it.
extern const wchar_t kCoverTitle[];

// A window of the soak's own process over the middle of the primary monitor, on top of
// everything (as an update notice or a low-disk balloon is), for as long as it lives. Its
// thread answers messages, as a real program's does.
class CoveringWindow {
public:
    CoveringWindow();
    ~CoveringWindow();
    CoveringWindow(const CoveringWindow&) = delete;
    CoveringWindow& operator=(const CoveringWindow&) = delete;

    HWND Window() const { return window_; }

private:
    static DWORD WINAPI ThreadMain(void* self);

    HANDLE thread_ = nullptr;
    HANDLE shown_ = nullptr;
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
};

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
