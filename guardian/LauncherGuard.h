#pragma once
// Keeps the launcher of one installation running: it adopts the launcher that runs or starts
// one, and starts it again after a crash (its own word, a crash dialog, or an exception
// code at its end), a hang of its bar and an end that was not the operator's exit; after a
// dump of a crashed or hung launcher, and with growing pauses for one that keeps dying.
// Only the operator's exit ends it.
#include <windows.h>

#include <string>

#include "framework/Handles.h"
#include "guardian/CrashDumps.h"
#include "guardian/GuardLog.h"
#include "guardian/GuardNames.h"

namespace guardian {

class LauncherGuard {
public:
    // The first pause before a start again; each launcher that dies sooner than kSteadyMs
    // after its start doubles it, up to kLongestPauseMs.
    static constexpr ULONGLONG kFirstPauseMs = 1000;
    static constexpr ULONGLONG kLongestPauseMs = 5 * 60 * 1000;
    // A launcher that got through its start-up and played is well: one that dies within this
    // keeps dying (a damaged file, a driver that fails at once).
    static constexpr ULONGLONG kSteadyMs = 10 * 1000;
    // A launcher that shows no window this long after its start hangs in its start-up.
    static constexpr ULONGLONG kStartupMs = 60 * 1000;
    static constexpr DWORD kProbeTimeoutMs = 1000;

    LauncherGuard(const std::wstring& folder, DWORD hangSeconds);
    // Runs until the operator's exit; the exit event must exist.
    void Run(HANDLE exitEvent);

private:
    enum class Ending { None, Crash, Hang, End, OperatorExit };

    bool Adopt();
    bool Start();
    void Forget();
    Ending Watch(HANDLE exitEvent);
    Ending Probe();
    bool CrashDialog(DWORD& dialogPid);
    void EndLauncher(DWORD code);
    std::wstring Dump(const wchar_t* why, const CrashNote* note);
    void PauseBeforeStart(HANDLE exitEvent, bool& exiting);

    std::wstring folder_;
    std::wstring program_;  // the launcher's full path
    ULONGLONG hangMs_;
    GuardLog log_;
    CrashDumps dumps_;

    kit::UniqueHandle launcher_;
    DWORD pid_ = 0;
    ULONGLONG startedAt_ = 0;     // when it was started or adopted
    bool startedByUs_ = false;
    ULONGLONG answeredAt_ = 0;    // the bar's last answer; 0 before it had a window
    kit::UniqueHandle crashEvent_;
    kit::UniqueHandle noteMapping_;
    const CrashNote* note_ = nullptr;

    std::wstring why_;   // "crash", "hang", "end" for the next start; empty for a first one
    std::wstring dump_;  // the dump's name for the next start
    ULONGLONG pauseMs_ = kFirstPauseMs;
};

}  // namespace guardian
