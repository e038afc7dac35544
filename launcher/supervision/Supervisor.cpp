#include "launcher/supervision/Supervisor.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstdio>

#include "framework/FileBytes.h"
#include "framework/PostToWindow.h"
#include "launcher/BarWiring.h"
#include "launcher/supervision/EffectProcesses.h"
#include "launcher/supervision/LocalTime.h"
#include "launcher/supervision/SupervisionClock.h"

#ifndef PAVORA_VERSION_TEXT
#define PAVORA_VERSION_TEXT "0.0.0"
#endif

namespace supervision {

using launcher::kRetryTimer;
using launcher::kStandbyTimer;
using launcher::kStatusTimer;

namespace {

// The failure's reason, as Handle() names it, for the kinds whose picture still shows.
const char* EndingReason(WatchReport::Kind kind)
{
    switch (kind) {
    case WatchReport::Hung: return "hang";
    case WatchReport::Black: return "black";
    case WatchReport::Frozen: return "frozen";
    case WatchReport::Silent: return "heartbeat";
    default: return "crashdialog";
    }
}

const wchar_t* ReasonName(StartReason reason)
{
    switch (reason) {
    case StartReason::Startup: return L"start-up";
    case StartReason::RotationStart: return L"rotation started";
    case StartReason::RotationStep: return L"rotation step";
    case StartReason::EarlyStep: return L"early step after an exit";
    case StartReason::Restart: return L"restart after a fault";
    case StartReason::EffectPage: return L"effect page";
    case StartReason::Watchdog: return L"watchdog";
    case StartReason::Schedule: return L"schedule";
    case StartReason::Operator: return L"operator's command";
    case StartReason::Remote: return L"remote";
    }
    return L"";
}

const wchar_t* ReasonName(StopReason reason)
{
    switch (reason) {
    case StopReason::RotationStep: return L"rotation step";
    case StopReason::UserStop: return L"operator's stop";
    case StopReason::Watchdog: return L"watchdog";
    case StopReason::Schedule: return L"schedule";
    case StopReason::Operator: return L"operator's command";
    case StopReason::Remote: return L"remote";
    }
    return L"";
}

// The system time in FILETIME units, as process creation times are given.
ULONGLONG SystemTimeNow()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// An effect started elsewhere (the effect page) was started at most this long before the bar heard of it.
constexpr ULONGLONG kElsewhereStartSlack = 5ULL * 10000000ULL;
// The clock of process creation may lag the caller's a little.
constexpr ULONGLONG kCreationClockSlack = 50ULL * 10000ULL;
// A lone effect that cannot start waits at least this long before its next try.
constexpr ULONGLONG kShortestStartRetryMs = 2000;

std::wstring Hex(DWORD code)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08lX", code);
    return text;
}

}  // namespace

Supervisor::Supervisor(HWND bar, SupervisorHost& host, const SuperviseSettings& settings,
                       const std::wstring& installFolder)
    : bar_(bar),
      host_(host),
      settings_(settings),
      log_(installFolder + L"\\log"),
      statusFile_(installFolder + L"\\log\\status.json"),
      metricsFile_(installFolder + L"\\log\\pavora.prom"),
      // The watch's thread ends before the supervisor goes (the watch is a member), and a
      // message to the bar is run only while the bar, which owns the supervisor, exists.
      watch_([bar, this](unsigned number, LPARAM kind) {
          kit::PostToWindow(bar, launcher::kRunOnBarMessage, [this, number, kind] { OnReport(number, kind); });
      }),
      failures_(settings.retries, settings.retryMinutes * 60000ULL, settings.quarantineMinutes * 60000ULL),
      standby_(installFolder + L"\\data\\images\\standby.png")
{
}

Supervisor::~Supervisor() = default;

void Supervisor::LauncherStarted()
{
    launcherStarted_ = IsoLocalTimeNow();
    since_ = launcherStarted_;
    wchar_t line[160];
    std::swprintf(line, 160,
                  L"launcher start, version %hs; supervision %ls (hang %lu s, grace %lu s, %lu failures in %lu min "
                  L"set an entry aside for %lu min, restart on exit %ls)",
                  PAVORA_VERSION_TEXT, settings_.on ? L"on" : L"off", settings_.hangSeconds, settings_.graceSeconds,
                  settings_.retries, settings_.retryMinutes, settings_.quarantineMinutes,
                  settings_.restartOnExit ? L"on" : L"off");
    log_.Write(line);
    for (const std::wstring& note : settings_.notes) log_.Write(note);
    SetTimer(bar_, kStatusTimer, kStatusPeriod, nullptr);
    WriteStatus();
}

void Supervisor::LauncherEnding()
{
    watch_.Stop();
    watchNumber_ = 0;
    standby_.Hide();
    KillTimer(bar_, kStatusTimer);
    DisarmRetry();
    KillTimer(bar_, kStandbyTimer);
    log_.Write(L"launcher end");
    StatusSnapshot last;
    last.running = false;
    last.state = "stopped";
    last.since = IsoLocalTimeNow();
    last.launcherStarted = launcherStarted_;
    last.version = PAVORA_VERSION_TEXT;
    last.restarts = restarts_;
    last.failures = failureCounts_;
    kit::ReplaceFileBytes(statusFile_, StatusJson(last));
    kit::ReplaceFileBytes(metricsFile_, StatusMetrics(last));
}

void Supervisor::SetState(const char* state)
{
    if (state_ != state) since_ = IsoLocalTimeNow();
    state_ = state;
    WriteStatus();
}

void Supervisor::ArmRetry(ULONGLONG pauseMs)
{
    retryPending_ = true;
    SetTimer(bar_, kRetryTimer, static_cast<UINT>(pauseMs < USER_TIMER_MAXIMUM ? pauseMs : USER_TIMER_MAXIMUM), nullptr);
}

void Supervisor::DisarmRetry()
{
    retryPending_ = false;
    KillTimer(bar_, kRetryTimer);
}

void Supervisor::EffectStarted(const std::wstring& path, StartReason reason, bool inRotation, ULONGLONG startedAt)
{
    log_.Write(L"start " + path + L" (" + ReasonName(reason) + L")");
    // Not a predecessor of the same program name that is still on its way out.
    Watch(path, inRotation, startedAt ? startedAt - kCreationClockSlack : SystemTimeNow() - kElsewhereStartSlack);
}

void Supervisor::EffectAdopted(const std::wstring& path, bool inRotation, ULONGLONG createdAt)
{
    log_.Write(L"adopted " + path + L": it played on while the launcher was down");
    Watch(path, inRotation, createdAt ? createdAt - kCreationClockSlack : 0);
}

void Supervisor::Watch(const std::wstring& path, bool inRotation, ULONGLONG notBefore)
{
    watch_.Stop();
    DisarmRetry();
    StandbyOff();
    playing_ = path;
    playingInRotation_ = inRotation;
    playingSince_ = ClockNow();
    if (settings_.on) {
        WatchLimits limits;
        limits.graceMs = settings_.graceSeconds * 1000;
        limits.hangMs = settings_.hangSeconds * 1000;
        watchNumber_ = watch_.Watch(EffectImageName(path), limits, notBefore);
        if (sampler_) pictureNumber_ = sampler_->Look([this] { return watch_.Pids(); }, limits.graceMs, path);
    }
    since_ = IsoLocalTimeNow();
    state_ = "playing";
    WriteStatus();
}

void Supervisor::EffectStopping(StopReason reason)
{
    DisarmRetry();
    // An entry that played its time ends a run of entries that failed at once.
    if (!playing_.empty() && ClockNow() - playingSince_ >= kEarlyEndMs) passFailures_ = 0, passLoops_ = 0;
    bool watched = watchNumber_ != 0 || !playing_.empty();
    watch_.Stop();
    watchNumber_ = 0;
    if (watched && !playing_.empty()) log_.Write(L"stop " + playing_ + L" (" + ReasonName(reason) + L")");
    playing_.clear();
    SetState("stopped");
}

void Supervisor::RotationStopped()
{
    DisarmRetry();
    passFailures_ = 0;
    passLoops_ = 0;
    StandbyOff();
    log_.Write(L"rotation stopped by the operator");
    SetState("stopped");
}

void Supervisor::ClosedHours(bool closed)
{
    if (closed == closed_) return;
    closed_ = closed;
    DisarmRetry();
    passFailures_ = 0;
    KillTimer(bar_, kStandbyTimer);
    if (closed) {
        watch_.Stop();
        watchNumber_ = 0;
        playing_.clear();
        standby_.Hide();
        standby_.Show(false);
        log_.Write(L"closed hours: nothing plays");
        SetState("stopped");
    } else {
        standby_.Hide();
        log_.Write(L"closed hours over");
    }
}

void Supervisor::SetScheduleStatus(const std::string& json)
{
    scheduleJson_ = json;
    WriteStatus();
}

void Supervisor::SetProjectorReports(const std::vector<ProjectorReport>& reports)
{
    projectors_ = reports;
    WriteStatus();
}

void Supervisor::SettingsClosed(const std::wstring& changed)
{
    if (!changed.empty()) log_.Write(L"settings saved: " + changed);
}

bool Supervisor::CanPlay(const std::wstring& path)
{
    ULONGLONG now = ClockNow();
    for (const std::wstring& released : failures_.Release(now)) {
        asideLogged_.erase(released);
        log_.Write(L"quarantine over: " + released);
        if (events_) events_->SetAsideOver(released);
    }
    if (!PathFileExistsW(path.c_str())) {
        if (missing_.insert(path).second) log_.Write(L"missing program, skipped: " + path);
        return false;
    }
    if (missing_.erase(path)) log_.Write(L"program back: " + path);
    if (failures_.Quarantined(path, now)) {
        if (asideLogged_.insert(path).second) log_.Write(L"set aside, skipped: " + path);
        return false;
    }
    return true;
}

bool Supervisor::AnyPlayable()
{
    for (int i = 0; i < host_.RotationCount(); ++i)
        if (CanPlay(host_.RotationPath(i))) return true;
    return false;
}

void Supervisor::ShowStandby(const std::wstring& line)
{
    if (standby_.Shown()) return;
    // Shown before it is told, so that whoever reads the line finds the window.
    standby_.Show();
    log_.Write(line);
    SetState("standby");
    if (events_) events_->StandbyOn(line);
}

bool Supervisor::WholePassFailed()
{
    int count = host_.RotationCount();
    if (settings_.quarantineMinutes != 0 || count == 0 || passFailures_ < count) return false;
    // Nothing is set aside, so nothing else would stop the pass from starting over at once.
    passFailures_ = 0;
    ULONGLONG pause = FailureHistory::PauseFor(++passLoops_);
    watch_.Stop();
    watchNumber_ = 0;
    playing_.clear();
    KillTimer(bar_, kStandbyTimer);
    ShowStandby(L"standby on: every entry failed at once");
    log_.Write(L"next pass of the rotation in " + std::to_wstring(pause / 1000) + L" s");
    ArmRetry(pause);
    return true;
}

void Supervisor::NothingToPlay()
{
    if (WholePassFailed()) return;
    watch_.Stop();
    watchNumber_ = 0;
    playing_.clear();
    if (retryPending_) return;  // a whole pass failed: its pause decides the next try
    SetTimer(bar_, kStandbyTimer, kStandbyCheckPeriod, nullptr);
    ShowStandby(L"standby on: no entry can play");
}

void Supervisor::Standby(const std::wstring& why)
{
    watch_.Stop();
    watchNumber_ = 0;
    playing_.clear();
    DisarmRetry();
    ShowStandby(L"standby on: " + why);
}

void Supervisor::StartFailed(const std::wstring& path, const std::wstring& why, bool inRotation)
{
    FailedFor(path, "notstarted", L"could not start " + path + L": " + why);
    if (inRotation) {
        ++passFailures_;
        return;
    }
    watch_.Stop();
    watchNumber_ = 0;
    playing_ = path;
    playingInRotation_ = false;
    SetState("restarting");
    ULONGLONG pause = failures_.PauseBeforeRetry(path);
    if (pause < kShortestStartRetryMs) pause = kShortestStartRetryMs;
    log_.Write(L"next try in " + std::to_wstring(pause / 1000) + L" s: " + path);
    ArmRetry(pause);
}

void Supervisor::StandbyOff()
{
    KillTimer(bar_, kStandbyTimer);
    if (!standby_.Shown()) return;
    standby_.Hide();
    log_.Write(L"standby off");
    if (events_) events_->StandbyOff();
}

void Supervisor::OnReport(WPARAM number, LPARAM kind)
{
    if (number == 0 || number != watchNumber_) return;
    if (kind == EffectWatch::kFoundNotice) {
        WriteStatus();
        return;
    }
    WatchReport report;
    if (!watch_.TakeReport(static_cast<unsigned>(number), report)) return;
    watchNumber_ = 0;
    Handle(report);
}

void Supervisor::ReportFault(const WatchReport& report)
{
    watch_.Stop();
    watchNumber_ = 0;
    if (!playing_.empty()) Handle(report);
}

void Supervisor::SetHealth(const health::HealthSettings& settings)
{
    for (const std::wstring& note : settings.notes) log_.Write(L"config.ini [health]: " + note);
    // As the watch's: the thread ends before the supervisor goes, the work runs only while the bar exists.
    HWND bar = bar_;
    auto note = [bar, this](const std::wstring& line) {
        kit::PostToWindow(bar, launcher::kRunOnBarMessage, [this, line] { log_.Write(line); });
    };
    if (settings.heartbeat) {
        beats_.reset(new health::HeartbeatListener(note));
        std::wstring problem;
        if (!beats_->Start(static_cast<WORD>(settings.heartbeatPort), problem)) {
            log_.Write(L"heartbeat not heard: " + problem);
            beats_.reset();
        }
    }
    wchar_t line[96];
    std::swprintf(line, 96, L"health: black after %lu s, frozen after %lu s (0: off), heartbeat ", settings.blackSeconds,
                  settings.frozenSeconds);
    log_.Write(line + (beats_ ? L"on 127.0.0.1:" + std::to_wstring(settings.heartbeatPort) : std::wstring(L"off")));
    sampler_.reset(new health::PictureSampler(
        settings, beats_.get(),
        [bar, this](unsigned number, const health::PictureFault& fault) {
            kit::PostToWindow(bar, launcher::kRunOnBarMessage, [this, number, fault] { OnPictureFault(number, fault); });
        },
        note));
}

void Supervisor::SetEventSink(EventSink* sink)
{
    events_ = sink;
    watch_.SetBeforeEnd([sink](WatchReport::Kind kind) {
        if (sink) sink->EffectEnding(EndingReason(kind));
    });
}

void Supervisor::OnPictureFault(unsigned number, const health::PictureFault& fault)
{
    // A look at an effect that is no longer watched (stopped, ended, replaced) is dropped.
    if (number == 0 || number != pictureNumber_ || watchNumber_ == 0 || playing_.empty()) return;
    pictureNumber_ = 0;
    WatchReport report;
    report.kind = fault.silent ? WatchReport::Silent
                  : fault.verdict == health::PictureJudge::Black ? WatchReport::Black
                                                                 : WatchReport::Frozen;
    report.quietMs = static_cast<DWORD>(fault.lastedMs);
    if (events_) events_->EffectEnding(EndingReason(report.kind));
    EndEffect();
    ReportFault(report);
}

void Supervisor::EndEffect()
{
    std::vector<DWORD> pids = watch_.Pids();
    // Stopped first, so that the end it would see is not taken for the effect's own exit.
    watch_.Stop();
    watchNumber_ = 0;
    std::vector<HANDLE> ending;
    for (DWORD pid : pids) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!process) continue;
        if (TerminateProcess(process, 1)) ending.push_back(process);
        else CloseHandle(process);
    }
    // Ended at once as a rule; the next effect must not find its predecessor's window on top.
    for (size_t i = 0; i < ending.size(); i += MAXIMUM_WAIT_OBJECTS)
        WaitForMultipleObjects(static_cast<DWORD>(std::min<size_t>(ending.size() - i, MAXIMUM_WAIT_OBJECTS)),
                               ending.data() + i, TRUE, 2000);
    for (HANDLE process : ending) CloseHandle(process);
}

void Supervisor::Failed(const std::string& reason, const std::wstring& detail)
{
    FailedFor(playing_, reason, detail);
}

void Supervisor::FailedFor(const std::wstring& path, const std::string& reason, const std::wstring& detail)
{
    log_.Write(detail);
    lastFailure_ = reason;
    ++failureCounts_[path][reason];
    if (events_) events_->EffectFailed(path, reason, detail);
    if (failures_.RecordFailure(path, ClockNow())) {
        wchar_t line[128];
        std::swprintf(line, 128, L"quarantine for %lu min after %lu failures within %lu min: ",
                      settings_.quarantineMinutes, settings_.retries, settings_.retryMinutes);
        log_.Write(line + path);
        if (events_) events_->SetAside(path, line + path);
    }
}

void Supervisor::Handle(const WatchReport& report)
{
    const std::wstring& path = playing_;
    ULONGLONG earlyMs = settings_.graceSeconds * 1000ULL < kEarlyEndMs ? settings_.graceSeconds * 1000ULL : kEarlyEndMs;
    bool early = ClockNow() - playingSince_ < earlyMs;
    bool fault = true;
    std::string reason;
    switch (report.kind) {
    case WatchReport::Exited: {
        reason = "exit";
        // A lone effect's clean exit is the operator's close, however soon; in the rotation, or
        // when it is to be restarted anyway, one at once means a program that cannot play.
        fault = report.code != 0 || (early && (playingInRotation_ || settings_.restartOnExit));
        std::wstring line = L"exit " + path + L" code " + std::to_wstring(report.code);
        if (report.code == 0 && early) line += L" (at once after its start: a failure)";
        if (fault) Failed(reason, line);
        else log_.Write(line);
        break;
    }
    case WatchReport::Crashed:
        reason = "crash";
        Failed(reason, L"crash " + path + L" exception " + Hex(report.code));
        break;
    case WatchReport::CrashDialog:
        reason = "crashdialog";
        Failed(reason, L"crash " + path + L": crash dialog " + report.dialog + L" closed, effect ended");
        break;
    case WatchReport::Hung:
        reason = "hang";
        Failed(reason, L"hang " + path + L": no answer for " + std::to_wstring(report.quietMs / 1000) + L"." +
                           std::to_wstring(report.quietMs % 1000 / 100) + L" s, effect ended");
        break;
    case WatchReport::NotStarted:
        reason = "notstarted";
        Failed(reason, L"not started " + path + L": no process " + EffectImageName(path) + L" appeared");
        break;
    case WatchReport::Black:
        reason = "black";
        Failed(reason, L"black " + path + L" for " + std::to_wstring(report.quietMs / 1000) + L" s, effect ended");
        break;
    case WatchReport::Frozen:
        reason = "frozen";
        Failed(reason, L"frozen " + path + L" for " + std::to_wstring(report.quietMs / 1000) + L" s, effect ended");
        break;
    case WatchReport::Silent:
        reason = "heartbeat";
        Failed(reason, L"no heartbeat from " + path + L" for " + std::to_wstring(report.quietMs / 1000) +
                           L" s, effect ended");
        break;
    case WatchReport::None:
        return;
    }

    if (playingInRotation_ && host_.RotationRunning()) {
        playing_.clear();  // it ended: the step has nothing of it to stop
        bool atOnce = early || report.kind == WatchReport::NotStarted;
        if (fault && atOnce) {
            ++passFailures_;
        } else {
            passFailures_ = 0;
            passLoops_ = 0;
        }
        if (WholePassFailed()) return;
        SetState("restarting");
        host_.StepRotationNow();
        return;
    }
    if (!fault && !settings_.restartOnExit) {
        log_.Write(L"left closed: " + path);
        playing_.clear();
        SetState("stopped");
        return;
    }
    if (!fault) lastFailure_ = "exit";
    ULONGLONG pause = fault ? failures_.PauseBeforeRetry(path) : 0;
    SetState("restarting");
    if (pause == 0) {
        RetryLone();
        return;
    }
    log_.Write(L"next try in " + std::to_wstring(pause / 1000) + L" s: " + path);
    ArmRetry(pause);
}

void Supervisor::RetryLone()
{
    DisarmRetry();
    std::wstring path = playing_;
    if (path.empty()) return;
    if (!PathFileExistsW(path.c_str())) {
        log_.Write(L"missing program, not restarted: " + path);
        playing_.clear();
        SetState("stopped");
        return;
    }
    ULONGLONG startedAt = SystemTimeNow();
    std::wstring why;
    if (!host_.PlayAgain(path, why)) {
        StartFailed(path, why, false);
        return;
    }
    ++restarts_[path][lastFailure_.empty() ? std::string("exit") : lastFailure_];
    EffectStarted(path, StartReason::Restart, false, startedAt);
}

bool Supervisor::OnTimer(UINT_PTR id)
{
    switch (id) {
    case kRetryTimer:
        // After a pass of the rotation that failed as a whole, the rotation tries again.
        if (playing_.empty() && host_.RotationRunning()) {
            DisarmRetry();
            host_.StepRotationNow();
        } else {
            RetryLone();
        }
        return true;
    case kStatusTimer:
        WriteStatus();
        return true;
    case kStandbyTimer:
        if (!host_.RotationRunning()) {
            StandbyOff();
            SetState("stopped");
        } else if (AnyPlayable()) {
            StandbyOff();
            host_.StepRotationNow();
        }
        return true;
    default:
        return false;
    }
}

void Supervisor::WriteStatus()
{
    StatusSnapshot s;
    s.state = state_;
    bool showsEffect = (state_ == "playing" || state_ == "restarting") && !playing_.empty();
    if (showsEffect) s.effect = playing_;
    s.since = since_;
    s.effectSeconds = showsEffect ? (ClockNow() - playingSince_) / 1000 : 0;
    std::vector<DWORD> pids = watch_.Pids();
    s.pid = state_ == "playing" && !pids.empty() ? pids.front() : 0;
    s.rotation = host_.RotationRunning();
    if (s.rotation) {
        int count = host_.RotationCount();
        s.index = host_.RotationIndex();
        s.next = count > 0 ? (s.index + 1) % count : -1;
        ULONGLONG due = host_.RotationDueInMs();
        if (due) s.nextAt = IsoLocalTimeIn(due);
    }
    s.restarts = restarts_;
    s.failures = failureCounts_;
    s.quarantined = failures_.QuarantinedPaths(ClockNow());
    s.launcherStarted = launcherStarted_;
    s.version = PAVORA_VERSION_TEXT;
    s.scheduleJson = scheduleJson_;
    s.projectors = projectors_;
    CreateDirectoryW(log_.Folder().c_str(), nullptr);
    kit::ReplaceFileBytes(statusFile_, StatusJson(s));
    kit::ReplaceFileBytes(metricsFile_, StatusMetrics(s));
}

}  // namespace supervision
