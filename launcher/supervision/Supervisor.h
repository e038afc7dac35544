#pragma once
// Keeps the projection alive: watches the effect that plays, moves the rotation on early
// when it ends, restarts a lone effect after a fault, sets aside entries that keep failing,
// skips entries whose program is missing, shows the standby picture when nothing can play,
// and tells what it did in log\pavora.log, log\status.json and log\pavora.prom.
#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <string>

#include "launcher/health/HealthSettings.h"
#include "launcher/health/HeartbeatListener.h"
#include "launcher/health/PictureSampler.h"
#include "launcher/supervision/EffectWatch.h"
#include "launcher/supervision/EventSink.h"
#include "launcher/supervision/EventLog.h"
#include "launcher/supervision/FailureHistory.h"
#include "launcher/supervision/Reasons.h"
#include "launcher/supervision/StandbyWindow.h"
#include "launcher/supervision/StatusReport.h"
#include "launcher/supervision/SuperviseSettings.h"

namespace supervision {


// What the supervisor needs of the launcher's bar.
class SupervisorHost {
public:
    virtual ~SupervisorHost() = default;
    virtual bool RotationRunning() = 0;
    // Timer 2's work, now: the entry that ended is not stopped again, the next one starts.
    virtual void StepRotationNow() = 0;
    // Starts the effect again, as the library starts any; `why` says what failed.
    virtual bool PlayAgain(const std::wstring& path, std::wstring& why) = 0;
    virtual int RotationIndex() = 0;
    virtual int RotationCount() = 0;
    virtual std::wstring RotationPath(int index) = 0;
    // Milliseconds until timer 2 fires, or 0 when it is not set.
    virtual ULONGLONG RotationDueInMs() = 0;
};

class Supervisor {
public:
    static constexpr UINT kStatusPeriod = 30000;
    static constexpr UINT kStandbyCheckPeriod = 5000;
    // An effect that ends this soon after its start (or within its start grace, if that is
    // shorter) failed, whatever its code: a program that ends at once would otherwise be
    // started again and again.
    static constexpr ULONGLONG kEarlyEndMs = 10000;

    // The supervisor's timers are the bar's (launcher/BarWiring.h); what its watch finds comes
    // back on the bar's thread.
    Supervisor(HWND bar, SupervisorHost& host, const SuperviseSettings& settings, const std::wstring& installFolder);
    ~Supervisor();

    void LauncherStarted();
    void LauncherEnding();

    // After an effect started (the library's start returned success). `startedAt` is the
    // system time (FILETIME units) taken just before the start; 0 for a start made elsewhere
    // a moment ago. Only processes made since then are the effect's.
    void EffectStarted(const std::wstring& path, StartReason reason, bool inRotation, ULONGLONG startedAt = 0);
    // The effect played on while the launcher was down and came back: watched from here, not
    // started again. `createdAt`: its process's creation (system time, FILETIME units).
    void EffectAdopted(const std::wstring& path, bool inRotation, ULONGLONG createdAt);
    // The library could not start the effect (`why` from the system): a failure of that entry.
    // A lone effect is tried again after the crash loop's pauses; the rotation goes on by itself.
    void StartFailed(const std::wstring& path, const std::wstring& why, bool inRotation);
    // A lone effect waits for its next try.
    bool RetryPending() const { return retryPending_; }
    // Nothing can play for a reason of the launcher's own (a main playlist that cannot be read).
    void Standby(const std::wstring& why);
    // The standby goes, whatever showed it.
    void EndStandby() { StandbyOff(); }
    bool InClosedHours() const { return closed_; }
    // Before the launcher itself ends the effect that plays.
    void EffectStopping(StopReason reason);
    // The rotation's test of an entry before it plays it: false for a missing program or an
    // entry set aside (each logged once, when it changes).
    bool CanPlay(const std::wstring& path);
    // The rotation found no entry it can play.
    void NothingToPlay();
    // The rotation was stopped by the user.
    void RotationStopped();
    // The schedule's closed hours begin (black standby, nothing plays) or end.
    void ClosedHours(bool closed);
    // What the status file says of the schedule: a JSON value ("null" without one).
    void SetScheduleStatus(const std::string& json);
    // The projectors' last reports, for the status and metrics files.
    void SetProjectorReports(const std::vector<ProjectorReport>& reports);
    // The settings sheet closed; `changed` names the files it wrote.
    void SettingsClosed(const std::wstring& changed);

    // The watch's message arrived.
    void OnReport(WPARAM number, LPARAM kind);
    // A fault of the effect that plays, found by other means than the watch (or handed in by
    // a test): handled as the watch's report would be.
    void ReportFault(const WatchReport& report);
    // Turns on the look at the effect's picture (section "health"), from the next effect on.
    void SetHealth(const health::HealthSettings& settings);
    // One of the supervisor's timers; false for any other.
    bool OnTimer(UINT_PTR id);

    // Writes log\status.json and log\pavora.prom now.
    void RefreshStatus() { WriteStatus(); }
    const SuperviseSettings& Settings() const { return settings_; }
    // Who hears of failures, entries set aside and the standby; none by default. Not owned.
    // Set before the first effect plays.
    void SetEventSink(EventSink* sink);
    void Log(const std::wstring& line) { log_.Write(line); }

private:
    void Handle(const WatchReport& report);
    void OnPictureFault(unsigned number, const health::PictureFault& fault);
    // Ends the watched effect's processes for a failure that the watch did not see.
    void EndEffect();
    void Watch(const std::wstring& path, bool inRotation, ULONGLONG notBefore);
    void Failed(const std::string& reason, const std::wstring& detail);
    void FailedFor(const std::wstring& path, const std::string& reason, const std::wstring& detail);
    void ArmRetry(ULONGLONG pauseMs);
    void DisarmRetry();
    // Counts the rotation's entries that failed at once one after another; true when a whole
    // pass did, so that the next one waits (only where nothing is ever set aside).
    bool WholePassFailed();
    void ShowStandby(const std::wstring& line);
    void RetryLone();
    void SetState(const char* state);
    void WriteStatus();
    void StandbyOff();
    bool AnyPlayable();

    HWND bar_;
    SupervisorHost& host_;
    SuperviseSettings settings_;
    EventLog log_;
    std::wstring statusFile_, metricsFile_;
    EffectWatch watch_;
    FailureHistory failures_;
    StandbyWindow standby_;

    unsigned watchNumber_ = 0;
    std::wstring playing_;         // the effect watched, or the one about to be retried
    bool playingInRotation_ = false;
    ULONGLONG playingSince_ = 0;
    std::string state_ = "stopped";
    std::string since_;
    std::string launcherStarted_;
    std::map<std::wstring, std::map<std::string, unsigned>> restarts_;
    std::string lastFailure_;  // the kind of the fault that a retry follows
    std::map<std::wstring, std::map<std::string, unsigned>> failureCounts_;
    std::set<std::wstring> missing_;
    std::set<std::wstring> asideLogged_;
    bool closed_ = false;
    bool retryPending_ = false;
    int passFailures_ = 0;     // entries failed at once in a row, in the rotation
    unsigned passLoops_ = 0;   // whole passes failed in a row
    std::string scheduleJson_ = "null";
    std::vector<ProjectorReport> projectors_;
    EventSink* events_ = nullptr;
    // Last, so that its thread, which asks the watch for the effect's processes, ends first.
    unsigned pictureNumber_ = 0;
    std::unique_ptr<health::HeartbeatListener> beats_;
    std::unique_ptr<health::PictureSampler> sampler_;
};

}  // namespace supervision
