#pragma once
// Watches the processes of the effect that plays, from a thread of its own so that the bar
// never waits on an effect: their end, a crash dialog that a crash of theirs brought up,
// and top-level windows that stop answering. What it finds is posted to the bar once;
// after that the watch is over.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/CriticalSection.h"
#include "framework/Handles.h"

namespace supervision {

struct WatchReport {
    // Black, Frozen and Silent come from the look at the picture and the heartbeat, not the watch.
    enum Kind { None, Exited, Crashed, CrashDialog, Hung, NotStarted, Black, Frozen, Silent };
    Kind kind = None;
    DWORD code = 0;        // exit code; the exception code of a crash
    DWORD pid = 0;         // the process it concerns
    DWORD quietMs = 0;     // how long a hung window did not answer; how long the picture or beat failed
    std::wstring dialog;   // the crash dialog's program
};

struct WatchLimits {
    DWORD graceMs = 30000;   // no window is probed before this, from the first process found
    DWORD hangMs = 10000;    // a window silent this long is a hang
    DWORD findMs = 10000;    // the shell and a command interpreter may take a moment
};

class EffectWatch {
public:
    // `tell` runs on the watch's thread with the watch's number: kFoundNotice when its processes
    // were found, 0 when its report is ready to take.
    using Tell = std::function<void(unsigned number, LPARAM kind)>;
    explicit EffectWatch(Tell tell);
    ~EffectWatch();
    EffectWatch(const EffectWatch&) = delete;
    EffectWatch& operator=(const EffectWatch&) = delete;

    // Ends any watch in progress and starts one for the processes of this program name made
    // at or after `notBefore` (system time, FILETIME units; 0 for any). Returns the new
    // watch's number.
    unsigned Watch(const std::wstring& imageName, const WatchLimits& limits, ULONGLONG notBefore = 0);
    // Ends the watch in progress, if any; its report, if one came, is dropped.
    void Stop();
    // The report of watch `number`, once; false for an older watch or none yet.
    bool TakeReport(unsigned number, WatchReport& report);
    // The processes found so far (empty before they are found).
    std::vector<DWORD> Pids() const;
    // Runs on the watch's thread just before it ends a hung or crashed effect whose picture
    // may still show, so that it can be kept. Set before the first watch.
    using BeforeEnd = std::function<void(WatchReport::Kind kind)>;
    void SetBeforeEnd(BeforeEnd beforeEnd) { beforeEnd_ = std::move(beforeEnd); }

    // What `tell` says when the processes were found; a report's is 0.
    static constexpr LPARAM kFoundNotice = 1;
    // A full look at the process list (new processes of the program, crash dialogs) and the
    // effect's windows; in between, a crash dialog is noticed by the debugger it attaches.
    static constexpr DWORD kScanMs = 5000;
    static constexpr DWORD kProbeMs = 1000;
    static constexpr DWORD kProbeTimeoutMs = 300;

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();
    void Report(const WatchReport& report);
    // New processes of the program; true when a crash dialog of one of them was found and
    // everything was ended.
    bool Scan();
    bool Probe(ULONGLONG now, bool refreshWindows);
    bool DebuggerAttached() const;
    void EndAll();

    Tell tell_;
    BeforeEnd beforeEnd_;
    kit::UniqueHandle thread_;
    kit::UniqueHandle stop_;
    unsigned number_ = 0;

    // The watch thread's own state, set before it starts.
    std::wstring image_;
    WatchLimits limits_;
    ULONGLONG notBefore_ = 0;
    struct Watched {
        DWORD pid;
        kit::UniqueHandle handle;
    };
    std::vector<Watched> live_;
    std::vector<DWORD> ended_;     // the pids that ended, so that they are not taken again
    DWORD firstPid_ = 0;
    DWORD firstCode_ = 0;
    bool firstEnded_ = false;
    struct Silent {
        HWND window;
        ULONGLONG since;
        bool seen;
    };
    std::vector<Silent> silent_;
    std::vector<HWND> windows_;  // the effect's windows at the last full look
    bool windowsListed_ = false;

    mutable kit::CriticalSection lock_;
    std::vector<DWORD> pids_;
    bool reported_ = false;
    WatchReport report_;
    unsigned reportNumber_ = 0;
};

}  // namespace supervision
