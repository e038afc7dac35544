#pragma once
// Playing by the clock: data\Schedule.xml decides at each moment which playlist rotates, or
// that the installation is closed; the projectors are switched on before a playing entry
// and off for closed hours.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/effects/EffectEntry.h"
#include "core/projector/ProjectorSwitch.h"
#include "core/schedule/Schedule.h"
#include "launcher/supervision/StatusReport.h"

namespace launcher {

// What the schedule needs of the bar.
class ScheduleHost {
public:
    virtual ~ScheduleHost() = default;
    // Ends what plays and rotates through `list` from its entry 0.
    virtual void PlayPlaylist(std::shared_ptr<const EffectList> list) = 0;
    // Ends what plays: closed hours.
    virtual void CloseForNow() = 0;
    virtual void LogLine(const std::wstring& line) = 0;
    virtual void ScheduleStatus(const std::string& json) = 0;
    virtual void ProjectorStatus(const std::vector<supervision::ProjectorReport>& reports) = 0;
};

class ScheduledPlay {
public:
    static constexpr UINT_PTR kClockTimer = 8;
    static constexpr UINT kClockPeriod = 1000;

    // `readyMessage` is posted to `bar` once the projectors are on (or their warm-up is over),
    // with wParam kSurveyed after each round of the projectors' reports.
    static constexpr WPARAM kSurveyed = 1;
    ScheduledPlay(HWND bar, UINT readyMessage, ScheduleHost& host, std::shared_ptr<const EffectList> mainList);
    ~ScheduledPlay();

    // Reads the schedule and the "projector" section; true when it holds an entry, so that
    // the launcher plays by it. Problems of the file go to the log, with their lines.
    bool Load(const wchar_t* scheduleFile, const wchar_t* configFile);
    // The "projector" section again, as the settings sheet left it.
    void LoadProjectors(const wchar_t* configFile);
    bool Active() const { return !schedule_.entries.empty(); }

    // Plays what is in force now (the start, or the rotation started again by the operator).
    void Resume();
    // The operator's stop: nothing changes by the clock until Resume.
    void Suspend();
    bool Suspended() const { return suspended_; }
    void OnClock();
    // The bar's side of `readyMessage`.
    void OnProjectorMessage(WPARAM what);

private:
    void Apply(int entry);
    std::wstring Describe(int entry) const;
    void UpdateStatus();
    void OnProjectorsReady();
    void OnProjectorsSurveyed();

    HWND bar_;
    UINT readyMessage_;
    ScheduleHost& host_;
    std::shared_ptr<const EffectList> mainList_;
    schedule::Schedule schedule_;
    schedule::ScheduleClock clock_;
    // The entry's playlist, read afresh at each boundary; the rotation keeps the one it plays.
    std::shared_ptr<EffectList> list_;
    int current_ = -2;  // -2 before the first choice; -1 the main playlist
    bool suspended_ = false;
    bool waitingForProjectors_ = false;
    std::unique_ptr<projector::ProjectorSwitch> projectors_;
};

// The local time now, as the schedule reads it.
schedule::LocalTime LocalNow();

}  // namespace launcher
