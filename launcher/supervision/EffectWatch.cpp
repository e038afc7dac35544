#include "launcher/supervision/EffectWatch.h"

#include <algorithm>
#include <utility>

#include "launcher/supervision/EffectProcesses.h"

namespace supervision {
namespace {

bool Contains(const std::vector<DWORD>& list, DWORD value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

// Exit codes with the severity bits of an NT status are exceptions that ended the program.
bool IsExceptionCode(DWORD code)
{
    return (code & 0xC0000000u) == 0xC0000000u && code != STILL_ACTIVE;
}

struct ProbeWalk {
    std::vector<DWORD> pids;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context)
{
    auto* walk = reinterpret_cast<ProbeWalk*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    // Hidden windows are left out: a worker thread may keep one while it waits, rightly.
    if (Contains(walk->pids, pid) && IsWindowVisible(window)) walk->windows.push_back(window);
    return TRUE;
}

}  // namespace

EffectWatch::EffectWatch(Tell tell) : tell_(std::move(tell)), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

EffectWatch::~EffectWatch()
{
    Stop();
}

unsigned EffectWatch::Watch(const std::wstring& imageName, const WatchLimits& limits, ULONGLONG notBefore)
{
    Stop();
    ++number_;
    image_ = LowerName(imageName);
    limits_ = limits;
    notBefore_ = notBefore;
    live_.clear();
    ended_.clear();
    silent_.clear();
    windows_.clear();
    windowsListed_ = false;
    firstPid_ = 0;
    firstCode_ = 0;
    firstEnded_ = false;
    {
        kit::CriticalSection::Lock hold(lock_);
        pids_.clear();
        reported_ = false;
        reportNumber_ = number_;
    }
    ResetEvent(stop_.Get());
    thread_.Reset(CreateThread(nullptr, 64 * 1024, ThreadMain, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    return number_;
}

void EffectWatch::Stop()
{
    if (thread_) {
        SetEvent(stop_.Get());
        WaitForSingleObject(thread_.Get(), INFINITE);
        thread_.Reset();
    }
    live_.clear();
    kit::CriticalSection::Lock hold(lock_);
    reportNumber_ = 0;
    pids_.clear();
}

bool EffectWatch::TakeReport(unsigned number, WatchReport& report)
{
    kit::CriticalSection::Lock hold(lock_);
    if (!reported_ || number != reportNumber_ || number == 0) return false;
    report = report_;
    reported_ = false;
    reportNumber_ = 0;
    return true;
}

std::vector<DWORD> EffectWatch::Pids() const
{
    kit::CriticalSection::Lock hold(lock_);
    return pids_;
}

DWORD WINAPI EffectWatch::ThreadMain(void* self)
{
    static_cast<EffectWatch*>(self)->Run();
    return 0;
}

void EffectWatch::Report(const WatchReport& report)
{
    unsigned number;
    {
        kit::CriticalSection::Lock hold(lock_);
        report_ = report;
        reported_ = true;
        number = reportNumber_;
    }
    tell_(number, 0);
}

void EffectWatch::EndAll()
{
    for (Watched& watched : live_) TerminateProcess(watched.handle.Get(), 1);
    for (Watched& watched : live_) WaitForSingleObject(watched.handle.Get(), 2000);
}

bool EffectWatch::Scan()
{
    std::vector<ProcessInfo> processes = ListProcesses();
    std::vector<DWORD> watchedPids;
    for (const Watched& watched : live_) watchedPids.push_back(watched.pid);
    for (const ProcessInfo& process : processes) {
        if (!kit::IsCrashDialog(process.image) || !Contains(watchedPids, process.parentPid)) continue;
        kit::UniqueHandle dialog(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process.pid));
        if (beforeEnd_) beforeEnd_(WatchReport::CrashDialog);
        // The crashed program first: a debugger that goes may let it run on.
        EndAll();
        if (dialog) {
            TerminateProcess(dialog.Get(), 1);
            WaitForSingleObject(dialog.Get(), 2000);
        }
        WatchReport report;
        report.kind = WatchReport::CrashDialog;
        report.pid = process.parentPid;
        report.dialog = process.image;
        Report(report);
        return true;
    }
    for (const ProcessInfo& process : processes) {
        if (process.image != image_ || Contains(watchedPids, process.pid) || Contains(ended_, process.pid)) continue;
        // A process limited to 64 handles at once: beyond that the wait could not hold them.
        if (live_.size() >= MAXIMUM_WAIT_OBJECTS - 1) break;
        kit::UniqueHandle handle(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION,
                                             FALSE, process.pid));
        if (!handle) continue;
        // A program of the same name that was there before the effect's start (the one just
        // ended for it, on its way out) is not the effect: its exit would speak for it.
        FILETIME created{}, exited{}, kernel{}, user{};
        if (notBefore_ && GetProcessTimes(handle.Get(), &created, &exited, &kernel, &user) &&
            ((static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime) < notBefore_) {
            ended_.push_back(process.pid);
            continue;
        }
        live_.push_back(Watched{process.pid, std::move(handle)});
        watchedPids.push_back(process.pid);
        if (!firstPid_) firstPid_ = process.pid;
    }
    kit::CriticalSection::Lock hold(lock_);
    pids_ = watchedPids;
    return false;
}

bool EffectWatch::DebuggerAttached() const
{
    // What a crash dialog of the loader we run on does first; cheaper than a process list.
    for (const Watched& watched : live_) {
        BOOL attached = FALSE;
        if (CheckRemoteDebuggerPresent(watched.handle.Get(), &attached) && attached) return true;
    }
    return false;
}

bool EffectWatch::Probe(ULONGLONG now, bool refreshWindows)
{
    if (refreshWindows || !windowsListed_) {
        windowsListed_ = true;
        ProbeWalk walk;
        for (const Watched& watched : live_) walk.pids.push_back(watched.pid);
        EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&walk));
        windows_ = walk.windows;
    }
    ProbeWalk walk;
    walk.windows = windows_;
    for (Silent& silent : silent_) silent.seen = false;
    DWORD longest = 0;
    for (HWND window : walk.windows) {
        DWORD_PTR result = 0;
        bool answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kProbeTimeoutMs,
                                            &result) != 0;
        // A window that went is no silent one; the next refresh forgets it.
        if (!answered && !IsWindow(window)) continue;
        auto found = std::find_if(silent_.begin(), silent_.end(), [window](const Silent& s) { return s.window == window; });
        if (answered) {
            if (found != silent_.end()) silent_.erase(found);
            continue;
        }
        if (found == silent_.end()) {
            silent_.push_back({window, now, true});
            continue;
        }
        found->seen = true;
        longest = std::max(longest, static_cast<DWORD>(now - found->since));
    }
    // A window that went is no longer silent.
    silent_.erase(std::remove_if(silent_.begin(), silent_.end(), [](const Silent& s) { return !s.seen; }),
                  silent_.end());
    if (longest < limits_.hangMs) return false;
    if (beforeEnd_) beforeEnd_(WatchReport::Hung);
    EndAll();
    WatchReport report;
    report.kind = WatchReport::Hung;
    report.pid = firstPid_;
    report.quietMs = longest;
    Report(report);
    return true;
}

void EffectWatch::Run()
{
    const ULONGLONG started = GetTickCount64();
    ULONGLONG firstFound = 0, lastScan = 0, lastTick = 0;
    for (;;) {
        ULONGLONG now = GetTickCount64();
        bool searching = firstFound == 0;
        bool scanned = false;
        if (searching || now - lastScan >= kScanMs) {
            lastScan = now;
            scanned = true;
            if (Scan()) return;
            if (!live_.empty() && firstFound == 0) {
                firstFound = now;
                tell_(number_, kFoundNotice);
            }
        }
        if (firstFound == 0) {
            if (now - started >= limits_.findMs) {
                WatchReport report;
                report.kind = WatchReport::NotStarted;
                Report(report);
                return;
            }
            if (WaitForSingleObject(stop_.Get(), 100) == WAIT_OBJECT_0) return;
            continue;
        }
        if (live_.empty()) {
            WatchReport report;
            report.pid = firstPid_;
            report.code = firstCode_;
            report.kind = IsExceptionCode(firstCode_) ? WatchReport::Crashed : WatchReport::Exited;
            Report(report);
            return;
        }
        if (now - lastTick >= kProbeMs) {
            lastTick = now;
            if (!scanned && DebuggerAttached() && Scan()) return;
            if (now - firstFound >= limits_.graceMs && Probe(now, scanned)) return;
        }

        HANDLE handles[MAXIMUM_WAIT_OBJECTS];
        handles[0] = stop_.Get();
        DWORD count = 1;
        for (const Watched& watched : live_) handles[count++] = watched.handle.Get();
        ULONGLONG sinceTick = GetTickCount64() - lastTick;
        DWORD wait = sinceTick >= kProbeMs ? 0 : static_cast<DWORD>(kProbeMs - sinceTick);
        DWORD woke = WaitForMultipleObjects(count, handles, FALSE, wait);
        if (woke == WAIT_OBJECT_0) return;
        if (woke > WAIT_OBJECT_0 && woke < WAIT_OBJECT_0 + count) {
            Watched gone = std::move(live_[woke - WAIT_OBJECT_0 - 1]);
            DWORD code = 0;
            GetExitCodeProcess(gone.handle.Get(), &code);
            if (gone.pid == firstPid_ || !firstEnded_) {
                // The first process's code speaks for the effect; a later one's only if it ended first.
                if (gone.pid == firstPid_ || firstCode_ == 0) firstCode_ = code;
                if (gone.pid == firstPid_) firstEnded_ = true;
            }
            gone.handle.Reset();
            live_.erase(live_.begin() + (woke - WAIT_OBJECT_0 - 1));
            ended_.push_back(gone.pid);
            // A successor of the same name (a program that restarts itself) counts as the effect.
            if (live_.empty()) {
                Sleep(100);
                if (Scan()) return;
            }
        }
    }
}

}  // namespace supervision
