#include "launcher/playback/Playback.h"

#include <shlwapi.h>

#include <cwchar>

#include "framework/Handles.h"
#include "framework/ProcessList.h"
#include "framework/Utf8.h"
#include "launcher/BarWiring.h"
#include "launcher/LauncherSettings.h"
#include "launcher/remote/RemoteCommands.h"
#include "launcher/supervision/EffectProcesses.h"
#include "launcher/supervision/SupervisionClock.h"

namespace launcher {
namespace {

using supervision::StartReason;
using supervision::StopReason;

constexpr wchar_t kConfigFile[] = L"Bin\\config.ini";
constexpr wchar_t kScheduleFile[] = L"data\\Schedule.xml";

// The system time in FILETIME units: the effect's processes are those made after it.
ULONGLONG SystemTimeNow()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

bool Changed(const std::vector<std::wstring>& changed, const wchar_t* file)
{
    for (const std::wstring& name : changed)
        if (_wcsicmp(name.c_str(), file) == 0) return true;
    return false;
}

}  // namespace

Playback::Playback(HWND bar, EffectPrograms& programs, PlaybackHost& host)
    : bar_(bar), programs_(programs), host_(host), rotation_(static_cast<RotationHost&>(*this))
{
    wchar_t folder[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, folder);
    folder_ = folder;
}

Playback::~Playback() = default;

Playback::Opening Playback::Open(const EffectList* mainList, const std::wstring& problem, bool penMode,
                                  const RestartNote& restart)
{
    // Read before the supervision writes the file anew.
    if (!restart.why.empty())
        resume_.reset(new ResumeState(ReadResumeState(folder_ + L"\\log\\status.json", supervision::SystemNow())));
    mainList_ = std::shared_ptr<const EffectList>(mainList, [](const EffectList*) {});
    rotation_.SetPlaylist(mainList_);

    supervision::SuperviseSettings settings = supervision::SuperviseSettings::Read(kConfigFile);
    // Inherited by every program the launcher starts: an effect that crashes then ends,
    // rather than leaving a crash box on the projection.
    if (settings.on) SetErrorMode(SetErrorMode(0) | SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
    supervisor_.reset(
        new supervision::Supervisor(bar_, static_cast<supervision::SupervisorHost&>(*this), settings, folder_));
    supervisor_->LauncherStarted();
    notices_.reset(new alerts::LauncherNotices(bar_, folder_, kConfigFile, [this](const std::wstring& line) {
        supervisor_->Log(line);
    }));
    supervisor_->SetEventSink(notices_.get());
    supervisor_->SetHealth(health::HealthSettings::Read(kConfigFile));
    if (!restart.why.empty()) {
        supervisor_->Log(L"launcher restarted by its guardian after " + restart.why +
                         (restart.dump.empty() ? std::wstring(L"; no dump") : L"; dump log\\dumps\\" + restart.dump));
        notices_->LauncherRestarted(restart.why);
    }
    projectors_.reset(new ProjectorControl(bar_, folder_ + L"\\log", [this](const std::wstring& line) {
        supervisor_->Log(line);
    }));
    projectors_->SetSurveyed([this](const std::vector<supervision::ProjectorReport>& reports) {
        supervisor_->SetProjectorReports(reports);
        notices_->ProjectorsSurveyed(reports);
    });
    projectors_->Load(kConfigFile);
    LoadSchedule(false);
    if (!problem.empty())
        supervisor_->Log(L"playlist data\\EffectPath.xml could not be read: " + problem +
                         L"; the file is left as it is, and the effect page keeps a copy before it saves over it");

    if (resume_ && resume_->valid) return Resume(*resume_);
    resume_.reset();
    // A schedule plays from the start, as "auto" would.
    if (schedule_->Active()) {
        schedule_->Resume();
        return Opening::Rotation;
    }
    // Entries whose program is missing stay in the list but play no part in the choice: a
    // playlist of one present program plays it alone, as it always did.
    std::vector<std::wstring> present;
    for (int i = 0; i < rotation_.Count(); ++i)
        if (PathFileExistsW(RotationPath(i).c_str())) present.push_back(RotationPath(i));
    if (present.size() == 1) {
        // One that cannot start is the supervision's to try again.
        if (StartAndWatch(present.front(), StartReason::Startup, false)) rotation_.OnEffectStarted(present.front());
        return Opening::LoneEffect;
    }
    if (penMode || !IsAutoRotation()) return Opening::Nothing;
    if (rotation_.Count() == 0) {
        // Where the rotation would play: the standby picture, not the desktop.
        if (!problem.empty()) supervisor_->Standby(L"the playlist data\\EffectPath.xml cannot be read");
        return Opening::Nothing;
    }
    rotation_.Start(StartReason::Startup);
    return Opening::Rotation;
}

Playback::Opening Playback::Resume(ResumeState saved)
{
    supervisor_->Log(L"resuming: " + kit::FromUtf8(saved.state) +
                     (saved.effect.empty() ? std::wstring() : L", " + saved.effect) +
                     (saved.rotation ? L", rotation entry " + std::to_wstring(saved.index + 1) : std::wstring()));
    bool lone = !saved.rotation && !saved.effect.empty() && saved.state != "standby";
    if (schedule_->Active() && !saved.scheduleSuspended) {
        schedule_->Resume();
        return Opening::Rotation;
    }
    if (schedule_->Active()) schedule_->Suspend();
    if (saved.rotation && !saved.scheduleSuspended) {
        if (const EffectEntry* entry = rotation_.Entry(saved.index))
            if (_wcsicmp(entry->path, saved.effect.c_str()) == 0 || saved.effect.empty()) rotation_.ResumeAt(saved.index);
        rotation_.Start(StartReason::Startup);
        return Opening::Rotation;
    }
    if (lone) {
        if (StartAndWatch(saved.effect, StartReason::Startup, false)) rotation_.OnEffectStarted(saved.effect);
        return Opening::LoneEffect;
    }
    resume_.reset();
    if (saved.state == "standby") supervisor_->Standby(L"it showed before the launcher's restart");
    return Opening::Nothing;
}

bool Playback::AdoptRunning(const std::wstring& path, bool inRotation)
{
    std::unique_ptr<ResumeState> saved = std::move(resume_);
    if (!saved || saved->effect.empty()) return false;
    // The status names the process once the watch found it; a launcher that went down before
    // that left only the program's name.
    const std::wstring image = supervision::EffectImageName(saved->effect);
    DWORD pid = saved->pid;
    if (!pid)
        for (const kit::ProcessInfo& running : kit::ListProcesses())
            if (running.image == image) pid = running.pid;
    kit::UniqueHandle process(
        OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!pid || !process || WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT) return false;
    // A process of another program that took the number since is not the effect.
    std::wstring found = kit::ProcessImagePath(process.Get());
    size_t slash = found.rfind(L'\\');
    if (kit::LowerName(found.substr(slash == std::wstring::npos ? 0 : slash + 1)) != image) return false;
    if (_wcsicmp(path.c_str(), saved->effect.c_str()) != 0) {
        // What plays now is another entry: the old effect goes, never two at once.
        supervisor_->Log(L"the effect that played before the restart is ended: " + saved->effect);
        TerminateProcess(process.Get(), 1);
        WaitForSingleObject(process.Get(), 2000);
        return false;
    }
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(process.Get(), &created, &exited, &kernel, &user);
    if (inRotation && saved->due) {
        adoptedLeftMs_ = saved->leftMs ? saved->leftMs : 1;
        // In the first status already: a launcher that goes down again at once keeps it too.
        rotationDueAt_ = GetTickCount64() + adoptedLeftMs_;
    }
    supervisor_->EffectAdopted(path, inRotation,
                               (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime);
    return true;
}

void Playback::Close()
{
    KillTimer(bar_, kWatchdogTimer);
    schedule_.reset();
    if (supervisor_) supervisor_->LauncherEnding();
    projectors_.reset();
}

// Where the schedule holds, the operator's start resumes it (what is in force then plays) and
// the operator's stop suspends it until the next start.
void Playback::StartRotation(StartReason reason)
{
    if (rotation_.Running()) return;
    if (schedule_ && schedule_->Active()) {
        schedule_->Resume();
        return;
    }
    rotation_.Start(reason);
}

void Playback::StopRotation(StopReason reason)
{
    if (!rotation_.Running()) return;
    rotation_.Stop(true, reason);
    if (schedule_ && schedule_->Active()) schedule_->Suspend();
    supervisor_->RotationStopped();
}

std::wstring Playback::Execute(const Request& request)
{
    // Closed hours are the schedule's: only its next boundary ends them (or the operator's
    // stop, which suspends the schedule).
    bool closed = supervisor_->InClosedHours();
    bool remote = !request.from.empty();
    if (remote) supervisor_->Log(L"remote: " + remote::CommandName(request) + L" from " + request.from);
    switch (request.command) {
    case Command::StartRotation:
    case Command::Next:
    case Command::Previous:
    case Command::PlayEntry:
    case Command::StandbyOff:
        if (closed) return L"closed hours: nothing plays until the schedule's next boundary";
        break;
    default:
        break;
    }
    // A remote command acts as the bar's button does; the log names its sender.
    StartReason start = remote ? StartReason::Remote : StartReason::Operator;
    StopReason stop = remote ? StopReason::Remote : StopReason::Operator;
    switch (request.command) {
    case Command::ToggleRotation:
        if (rotation_.Running()) StopRotation(StopReason::UserStop);
        else StartRotation(StartReason::RotationStart);
        return L"";
    case Command::StartRotation:
        StartRotation(remote ? start : StartReason::RotationStart);
        return L"";
    case Command::StopRotation:
        StopRotation(remote ? stop : StopReason::UserStop);
        return L"";
    case Command::Next:
    case Command::Previous:
        if (!rotation_.Running()) return L"the rotation is stopped";
        if (request.command == Command::Next) rotation_.Step(start, stop);
        else rotation_.StepBack(start, stop);
        return L"";
    case Command::PlayEntry:
        if (request.entry < 0 || request.entry >= rotation_.Count())
            return L"no entry " + std::to_wstring(request.entry + 1) + L" in the playlist";
        rotation_.PlayEntry(request.entry, start, stop);
        return L"";
    case Command::StandbyOn:
        StopRotation(stop);
        supervisor_->Standby(remote ? L"a remote command from " + request.from : L"the operator's command");
        return L"";
    case Command::StandbyOff:
        supervisor_->EndStandby();
        StartRotation(start);
        return L"";
    case Command::EffectStarted:
        EffectStartedElsewhere(request.path);
        return L"";
    case Command::ProjectorsOn:
    case Command::ProjectorsOff:
        if (!projectors_ || !projectors_->Any()) return L"no projector is set";
        if (request.command == Command::ProjectorsOn) projectors_->SwitchOn();
        else projectors_->SwitchOff();
        return L"";
    default:
        return L"not a command of what plays";
    }
}

void Playback::EffectStartedElsewhere(const std::wstring& path)
{
    supervisor_->EffectStarted(path, StartReason::EffectPage, false);
    rotation_.OnEffectStarted(path);
}

bool Playback::OnTimer(UINT_PTR id)
{
    switch (id) {
    case kRotationTimer:
        rotation_.Step(StartReason::RotationStep);
        return true;
    case kWatchdogTimer:
        // A lone effect waiting out a pause after its faults comes back by that retry.
        if (!supervisor_->RetryPending()) rotation_.Watchdog();
        return true;
    case kFrontTimer:
        rotation_.BringEffectToFront();
        return true;
    case kClockTimer:
        if (schedule_) schedule_->OnClock();
        return true;
    default:
        return supervisor_ && supervisor_->OnTimer(id);
    }
}

void Playback::SettingsClosed(const std::vector<std::wstring>& changed)
{
    std::wstring names;
    for (const std::wstring& name : changed) names += (names.empty() ? L"" : L", ") + name;
    supervisor_->SettingsClosed(names);
    // Projector settings take effect at once; a schedule written by the sheet holds from now
    // on (the effect that plays is left alone for any other file).
    if (Changed(changed, kConfigFile)) projectors_->Load(kConfigFile);
    if (Changed(changed, kScheduleFile)) LoadSchedule(true);
}

void Playback::LoadSchedule(bool playNow)
{
    bool wasActive = schedule_ && schedule_->Active();
    bool suspended = schedule_ && schedule_->Suspended();
    // The old one goes first: it lets go of the projectors' ready call that the new one takes.
    schedule_.reset();
    schedule_.reset(new ScheduledPlay(bar_, static_cast<ScheduleHost&>(*this), mainList_, *projectors_));
    bool active = schedule_->Load(kScheduleFile);
    if (!playNow || suspended || (!active && !wasActive)) return;
    if (active) {
        schedule_->Resume();
    } else {
        // The schedule went: the main playlist plays on, as without one.
        PlayPlaylist(mainList_);
    }
}

bool Playback::StartAndWatch(const std::wstring& path, StartReason reason, bool inRotation)
{
    if (resume_ && AdoptRunning(path, inRotation)) return true;
    ULONGLONG startedAt = SystemTimeNow();
    std::wstring why;
    if (!programs_.StartProgram(path, why)) {
        supervisor_->StartFailed(path, why, inRotation);
        return false;
    }
    supervisor_->EffectStarted(path, reason, inRotation, startedAt);
    return true;
}

bool Playback::StartEffect(const std::wstring& path, StartReason reason, bool inRotation)
{
    return StartAndWatch(path, reason, inRotation);
}

int Playback::StopEffect(const std::wstring& path, StopReason reason)
{
    supervisor_->EffectStopping(reason);
    return programs_.StopProgram(path);
}

void Playback::BringToFront(HWND window)
{
    SetForegroundWindow(window);
    SetActiveWindow(window);
}

void Playback::StartTimer(UINT_PTR id, UINT period)
{
    // The adopted entry plays out the time it had left.
    if (id == kRotationTimer && adoptedLeftMs_) {
        if (adoptedLeftMs_ < period) period = static_cast<UINT>(adoptedLeftMs_ < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : adoptedLeftMs_);
        adoptedLeftMs_ = 0;
    }
    SetTimer(bar_, id, period, nullptr);
    if (id != kRotationTimer) return;
    rotationDueAt_ = GetTickCount64() + period;
    // The entry's end is in the status at once: a launcher that comes back goes on from it.
    supervisor_->RefreshStatus();
}

void Playback::StopTimer(UINT_PTR id)
{
    if (id == kRotationTimer) rotationDueAt_ = 0;
    KillTimer(bar_, id);
}

std::wstring Playback::RotationPath(int index)
{
    const EffectEntry* entry = rotation_.Entry(index);
    if (!entry) return std::wstring();
    return std::wstring(entry->path, wcsnlen(entry->path, sizeof(entry->path) / sizeof(entry->path[0])));
}

ULONGLONG Playback::RotationDueInMs()
{
    if (!rotationDueAt_) return 0;
    ULONGLONG now = GetTickCount64();
    return rotationDueAt_ > now ? rotationDueAt_ - now : 1;
}

void Playback::PlayPlaylist(std::shared_ptr<const EffectList> list)
{
    supervisor_->ClosedHours(false);
    rotation_.Stop(false, StopReason::Schedule);
    bool empty = !list || list->empty();
    rotation_.SetPlaylist(std::move(list));
    rotation_.Rewind();
    // After a restart, the entry that played goes on if this list still holds it there.
    if (resume_ && resume_->rotation)
        if (const EffectEntry* entry = rotation_.Entry(resume_->index))
            if (_wcsicmp(entry->path, resume_->effect.c_str()) == 0) rotation_.ResumeAt(resume_->index);
    if (empty) {
        // No box for an empty list here: nobody may be there to close it.
        supervisor_->Log(L"schedule: nothing to play");
        supervisor_->ClosedHours(true);
        return;
    }
    rotation_.Start(StartReason::Schedule);
}

void Playback::CloseForNow()
{
    // Closed hours after a restart: the effect that played on goes too.
    if (resume_) AdoptRunning(std::wstring(), false);
    rotation_.Stop(false, StopReason::Schedule);
    supervisor_->ClosedHours(true);
}

}  // namespace launcher
