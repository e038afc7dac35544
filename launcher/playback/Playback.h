#pragma once
// The one place that decides what plays: the rotation, the supervision that keeps it alive, the
// schedule and the projectors, and for every source of change (an operator's command, a timer,
// a fault, a boundary of the schedule) the rule of what comes next. The bar turns its window's
// events into calls here and shows what this tells it.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/effects/EffectEntry.h"
#include "launcher/Command.h"
#include "launcher/alerts/LauncherNotices.h"
#include "launcher/guardian/RestartNote.h"
#include "launcher/playback/ResumeState.h"
#include "launcher/playback/EffectRotation.h"
#include "launcher/projectors/ProjectorControl.h"
#include "launcher/schedule/ScheduledPlay.h"
#include "launcher/supervision/Supervisor.h"

namespace launcher {

// The library's effect programs, as playback uses them.
class EffectPrograms {
public:
    virtual ~EffectPrograms() = default;
    // The library's start of an effect; false with the system's reason.
    virtual bool StartProgram(const std::wstring& path, std::wstring& why) = 0;
    // The library's stop: non-zero when the program ran and was ended.
    virtual int StopProgram(const std::wstring& path) = 0;
    virtual bool IsNativeEffect(const std::wstring& path) = 0;
    virtual HWND FindEffectWindow() = 0;
};

// What playback shows on the bar.
class PlaybackHost {
public:
    virtual ~PlaybackHost() = default;
    virtual std::wstring LanguageText(const wchar_t* id) = 0;
    virtual void ShowBar(bool show) = 0;
    virtual bool IsBarVisible() = 0;
    virtual void SetRotationCaption(const std::wstring& text) = 0;
    virtual void SetStatusText(const std::wstring& text) = 0;
    virtual void ShowTips(const std::wstring& text) = 0;
};

class Playback : private RotationHost, private supervision::SupervisorHost, private ScheduleHost {
public:
    // What the start-up played, so that the bar hides itself after the right while.
    enum class Opening { Nothing, LoneEffect, Rotation };

    // `bar` owns the timers (launcher/BarWiring.h) and runs what other threads hand back.
    Playback(HWND bar, EffectPrograms& programs, PlaybackHost& host);
    ~Playback() override;
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // Reads the supervision's settings, the schedule and the projectors, and plays what the
    // start-up asks for: the schedule, a lone effect, or the rotation when "auto" is set.
    // `mainList` is the library's playlist (the library keeps it); `problem` says why it could
    // not be read, empty when it could. After a restart by the guardian, what played goes on:
    // the effect that still runs is adopted, the rotation keeps its entry and the time left.
    Opening Open(const EffectList* mainList, const std::wstring& problem, bool penMode,
                 const RestartNote& restart = RestartNote());
    // The launcher ends.
    void Close();

    // An operator's command about what plays; empty when done, else why it was not.
    std::wstring Execute(const Request& request);
    bool IsRotating() const { return rotation_.Running(); }
    void Log(const std::wstring& line) { supervisor_->Log(line); }
    const std::wstring& Folder() const { return folder_; }

    // A fault of the effect that plays, as the watch reports one: what plays next follows the
    // same rules whoever found the fault.
    void EffectFaulted(const supervision::WatchReport& report) { supervisor_->ReportFault(report); }
    // A timer of the bar; false for one that is not the playback's.
    bool OnTimer(UINT_PTR id);
    // The settings sheet closed; `changed` are the files it wrote (as Bin\… and data\… names).
    void SettingsClosed(const std::vector<std::wstring>& changed);

private:
    // What the start-up plays after a restart by the guardian.
    Opening Resume(ResumeState saved);
    // The effect that played on while the launcher was down, if `path` is it and it still runs.
    bool AdoptRunning(const std::wstring& path, bool inRotation);
    // Message 6568: an effect was started by the library's effect page.
    void EffectStartedElsewhere(const std::wstring& path);
    bool StartAndWatch(const std::wstring& path, supervision::StartReason reason, bool inRotation);
    // Reads data\Schedule.xml (again); `playNow` plays by a schedule that came or changed, and
    // the main playlist when it went.
    void LoadSchedule(bool playNow);
    void StartRotation(supervision::StartReason reason);
    void StopRotation(supervision::StopReason reason);

    // RotationHost
    bool StartEffect(const std::wstring& path, supervision::StartReason reason, bool inRotation) override;
    int StopEffect(const std::wstring& path, supervision::StopReason reason) override;
    bool IsNativeEffect(const std::wstring& path) override { return programs_.IsNativeEffect(path); }
    HWND FindEffectWindow() override { return programs_.FindEffectWindow(); }
    void BringToFront(HWND window) override;
    std::wstring LanguageText(const wchar_t* id) override { return host_.LanguageText(id); }
    void ShowBar(bool show) override { host_.ShowBar(show); }
    bool IsBarVisible() override { return host_.IsBarVisible(); }
    void SetRotationCaption(const std::wstring& text) override { host_.SetRotationCaption(text); }
    void SetStatusText(const std::wstring& text) override { host_.SetStatusText(text); }
    void StartTimer(UINT_PTR id, UINT period) override;
    void StopTimer(UINT_PTR id) override;
    void ShowTips(const std::wstring& text) override { host_.ShowTips(text); }
    bool CanPlay(const std::wstring& path) override { return supervisor_->CanPlay(path); }
    void NothingToPlay() override { supervisor_->NothingToPlay(); }

    // supervision::SupervisorHost
    bool RotationRunning() override { return rotation_.Running(); }
    void StepRotationNow() override { rotation_.Step(supervision::StartReason::EarlyStep); }
    bool PlayAgain(const std::wstring& path, std::wstring& why) override { return programs_.StartProgram(path, why); }
    int RotationIndex() override { return rotation_.Index(); }
    int RotationCount() override { return rotation_.Count(); }
    std::wstring RotationPath(int index) override;
    ULONGLONG RotationDueInMs() override;

    // ScheduleHost
    void PlayPlaylist(std::shared_ptr<const EffectList> list) override;
    void CloseForNow() override;
    void LogLine(const std::wstring& line) override { supervisor_->Log(line); }
    void ScheduleStatus(const std::string& json) override { supervisor_->SetScheduleStatus(json); }

    HWND bar_;
    EffectPrograms& programs_;
    PlaybackHost& host_;
    std::wstring folder_;  // the installation
    EffectRotation rotation_;
    std::shared_ptr<const EffectList> mainList_;
    // Before the supervisor, which tells it, so that it outlives it.
    std::unique_ptr<alerts::LauncherNotices> notices_;
    std::unique_ptr<supervision::Supervisor> supervisor_;
    std::unique_ptr<ProjectorControl> projectors_;
    std::unique_ptr<ScheduledPlay> schedule_;
    ULONGLONG rotationDueAt_ = 0;  // when timer 2 fires; 0 while it is not set
    // Until the first start after a restart: what played before it.
    std::unique_ptr<ResumeState> resume_;
    ULONGLONG adoptedLeftMs_ = 0;  // the adopted entry's time left, for its timer; 0: none
};

}  // namespace launcher
