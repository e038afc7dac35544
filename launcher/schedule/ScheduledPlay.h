#pragma once
// Playing by the clock: data\Schedule.xml decides at each moment which playlist rotates, or
// that the installation is closed; the projectors are switched on before a playing entry
// and off for closed hours.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/effects/EffectEntry.h"
#include "core/schedule/Schedule.h"
#include "launcher/projectors/ProjectorControl.h"
#include "launcher/schedule/ClockJumps.h"

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
};

class ScheduledPlay {
public:
    static constexpr UINT kClockPeriod = 1000;

    // The schedule switches `projectors` on before a playing entry and off for closed hours.
    ScheduledPlay(HWND bar, ScheduleHost& host, std::shared_ptr<const EffectList> mainList,
                  ProjectorControl& projectors);
    ~ScheduledPlay();

    // Reads the schedule; true when it holds an entry, so that the launcher plays by it.
    // Problems of the file go to the log, with their lines.
    bool Load(const wchar_t* scheduleFile);
    bool Active() const { return !schedule_.entries.empty(); }

    // Plays what is in force now (the start, or the rotation started again by the operator).
    void Resume();
    // The operator's stop: nothing changes by the clock until Resume.
    void Suspend();
    bool Suspended() const { return suspended_; }
    void OnClock();

private:
    void Apply(int entry);
    std::wstring Describe(int entry) const;
    void UpdateStatus();
    void OnProjectorsReady();

    HWND bar_;
    ScheduleHost& host_;
    ProjectorControl& projectors_;
    std::shared_ptr<const EffectList> mainList_;
    schedule::Schedule schedule_;
    schedule::ScheduleClock clock_;
    // The entry's playlist, read afresh at each boundary; the rotation keeps the one it plays.
    std::shared_ptr<EffectList> list_;
    int current_ = -2;  // -2 before the first choice; -1 the main playlist
    bool suspended_ = false;
    bool waitingForProjectors_ = false;
    ClockJumps jumps_;
};

// The local time now, as the schedule reads it.
schedule::LocalTime LocalNow();

}  // namespace launcher
