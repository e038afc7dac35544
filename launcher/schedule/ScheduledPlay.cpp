#include "launcher/schedule/ScheduledPlay.h"

#include <shlwapi.h>

#include <cstdio>
#include <vector>

#include "core/effects/PlaylistFile.h"
#include "framework/FileBytes.h"
#include "framework/Utf8.h"
#include "launcher/BarWiring.h"
#include "launcher/supervision/EventLog.h"
#include "launcher/supervision/LocalTime.h"
#include "launcher/supervision/StatusReport.h"
#include "launcher/supervision/SupervisionClock.h"

namespace launcher {
namespace {

std::string IsoOf(const schedule::LocalTime& time)
{
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(time.year);
    local.wMonth = static_cast<WORD>(time.month);
    local.wDay = static_cast<WORD>(time.day);
    local.wHour = static_cast<WORD>(time.minute / 60);
    local.wMinute = static_cast<WORD>(time.minute % 60);
    return supervision::IsoLocalTime(local);
}

}  // namespace

schedule::LocalTime LocalNow()
{
    SYSTEMTIME now{};
    supervision::LocalNow(now);
    schedule::LocalTime time;
    time.year = now.wYear;
    time.month = now.wMonth;
    time.day = now.wDay;
    time.minute = now.wHour * 60 + now.wMinute;
    return time;
}

ScheduledPlay::ScheduledPlay(HWND bar, ScheduleHost& host, std::shared_ptr<const EffectList> mainList,
                             ProjectorControl& projectors)
    : bar_(bar), host_(host), projectors_(projectors), mainList_(std::move(mainList))
{
    projectors_.SetReady([this] { OnProjectorsReady(); });
}

ScheduledPlay::~ScheduledPlay()
{
    projectors_.SetReady(nullptr);
    KillTimer(bar_, kClockTimer);
}

bool ScheduledPlay::Load(const wchar_t* scheduleFile)
{
    std::string text;
    // A schedule of a megabyte is no schedule: the rest is not read.
    if (!kit::ReadFileBytes(scheduleFile, text)) return false;
    schedule_ = schedule::Parse(text, [](const std::wstring& path) { return PathFileExistsW(path.c_str()) != FALSE; });
    for (const std::wstring& problem : schedule_.problems) host_.LogLine(L"schedule: " + problem + L"; skipped");
    if (!Active()) {
        host_.LogLine(L"schedule: no entry holds; the main playlist plays as without a schedule");
        return false;
    }
    host_.LogLine(L"schedule: " + std::to_wstring(schedule_.entries.size()) + L" entries");
    return true;
}

void ScheduledPlay::Resume()
{
    suspended_ = false;
    current_ = -2;
    SetTimer(bar_, kClockTimer, kClockPeriod, nullptr);
    OnClock();
}

void ScheduledPlay::Suspend()
{
    suspended_ = true;
    waitingForProjectors_ = false;
    KillTimer(bar_, kClockTimer);
    host_.LogLine(L"schedule: suspended by the operator's stop until the rotation is started again");
    UpdateStatus();
}

void ScheduledPlay::OnClock()
{
    for (const std::wstring& line : jumps_.Check()) host_.LogLine(line);
    if (suspended_ || !Active()) return;
    // Read every second, the local time follows a changed clock, daylight saving and a
    // resume from sleep at once.
    int entry = clock_.Evaluate(schedule_, LocalNow());
    if (entry != current_) Apply(entry);
}

std::wstring ScheduledPlay::Describe(int entry) const
{
    if (entry < 0) return L"outside every entry: the main playlist";
    const schedule::Entry& e = schedule_.entries[static_cast<size_t>(entry)];
    std::wstring what = e.off ? L"closed" : L"playlist " + e.playlist;
    return L"the entry of line " + std::to_wstring(e.line) + L" (" + what + L")";
}

void ScheduledPlay::Apply(int entry)
{
    bool wasOff = current_ >= 0 && schedule_.entries[static_cast<size_t>(current_)].off;
    bool first = current_ == -2;
    current_ = entry;
    host_.LogLine(L"schedule: " + Describe(entry) + L" in force");
    bool off = entry >= 0 && schedule_.entries[static_cast<size_t>(entry)].off;
    if (off) {
        waitingForProjectors_ = false;
        host_.CloseForNow();
        projectors_.SwitchOff();
        UpdateStatus();
        return;
    }
    if (entry >= 0) {
        const std::wstring& file = schedule_.entries[static_cast<size_t>(entry)].playlist;
        list_ = std::make_shared<EffectList>();
        std::wstring problem;
        if (!tessaly::LoadPlaylist(file.c_str(), *list_, &problem))
            host_.LogLine(L"schedule: the playlist " + file + L" could not be read: " + problem);
        else if (list_->empty())
            host_.LogLine(L"schedule: the playlist " + file + L" holds no entry");
    }
    if (projectors_.Any() && (first || wasOff)) {
        // The effect waits for the projectors, at most their warm-up time.
        waitingForProjectors_ = true;
        host_.CloseForNow();
        projectors_.SwitchOn();
        UpdateStatus();
        return;
    }
    host_.PlayPlaylist(entry >= 0 ? list_ : mainList_);
    UpdateStatus();
}

void ScheduledPlay::OnProjectorsReady()
{
    if (!waitingForProjectors_ || suspended_) return;
    waitingForProjectors_ = false;
    host_.PlayPlaylist(current_ >= 0 ? list_ : mainList_);
    UpdateStatus();
}

void ScheduledPlay::UpdateStatus()
{
    if (!Active()) return;
    std::string json = "{\"entry\": ";
    json += current_ >= 0 ? std::to_string(schedule_.entries[static_cast<size_t>(current_)].line) : std::string("null");
    json += ", \"inForce\": " + supervision::JsonString(current_ == -2 ? std::wstring(L"none yet") : Describe(current_));
    json += std::string(", \"suspended\": ") + (suspended_ ? "true" : "false");
    schedule::LocalTime next;
    int nextEntry = -1;
    if (!suspended_ && clock_.NextChange(schedule_, LocalNow(), next, nextEntry))
        json += ", \"next\": " + supervision::JsonString(Describe(nextEntry)) + ", \"nextAt\": \"" + IsoOf(next) + "\"";
    else
        json += ", \"next\": null, \"nextAt\": null";
    json += "}";
    host_.ScheduleStatus(json);
}

}  // namespace launcher
