#include "launcher/schedule/ScheduledPlay.h"

#include <shlwapi.h>

#include <cstdio>
#include <vector>

#include "core/effects/PlaylistFile.h"
#include "framework/FileBytes.h"
#include "framework/Utf8.h"
#include "launcher/BoundedNumber.h"
#include "launcher/supervision/EventLog.h"
#include "launcher/supervision/LocalTime.h"
#include "launcher/supervision/StatusReport.h"

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
    GetLocalTime(&now);
    schedule::LocalTime time;
    time.year = now.wYear;
    time.month = now.wMonth;
    time.day = now.wDay;
    time.minute = now.wHour * 60 + now.wMinute;
    return time;
}

ScheduledPlay::ScheduledPlay(HWND bar, UINT readyMessage, ScheduleHost& host,
                             std::shared_ptr<const EffectList> mainList)
    : bar_(bar), readyMessage_(readyMessage), host_(host), mainList_(std::move(mainList))
{
}

ScheduledPlay::~ScheduledPlay()
{
    KillTimer(bar_, kClockTimer);
}

bool ScheduledPlay::Load(const wchar_t* scheduleFile, const wchar_t* configFile)
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
    LoadProjectors(configFile);
    return true;
}

void ScheduledPlay::LoadProjectors(const wchar_t* configFile)
{
    projectors_.reset();
    wchar_t addressText[1024] = L"", password[256] = L"";
    GetPrivateProfileStringW(L"projector", L"address", L"", addressText, 1024, configFile);
    GetPrivateProfileStringW(L"projector", L"password", L"", password, 256, configFile);
    std::vector<std::wstring> notes;
    DWORD warmup = launcher::ReadBoundedNumber(configFile, L"projector", L"warmupseconds", 60, 0, 3600, notes);
    for (const std::wstring& note : notes) host_.LogLine(note);
    std::vector<projector::Address> addresses;
    std::wstring error;
    std::vector<std::wstring> duplicates;
    if (!projector::ParseAddresses(addressText, addresses, error, &duplicates)) {
        host_.LogLine(L"projector: address \"" + std::wstring(addressText) + L"\" not used: " + error);
        addresses.clear();
    }
    // Twice the same projector would be switched twice and reported twice in the metrics.
    for (const std::wstring& twice : duplicates) host_.LogLine(L"projector: " + twice + L" is given twice; used once");
    if (!addresses.empty()) {
        projector::ProjectorSwitch::Timing timing;
        timing.warmupMs = warmup * 1000;
        HWND bar = bar_;
        UINT message = readyMessage_;
        // The log's writes are whole lines appended to the file: safe from the switch's thread.
        wchar_t folder[MAX_PATH] = L"";
        GetCurrentDirectoryW(MAX_PATH, folder);
        auto log = std::make_shared<supervision::EventLog>(std::wstring(folder) + L"\\log");
        projectors_.reset(new projector::ProjectorSwitch(
            addresses, kit::ToUtf8(password), timing,
            [log](const std::wstring& line) { log->Write(line); },
            [bar, message] { PostMessageW(bar, message, 0, 0); },
            [bar, message] { PostMessageW(bar, message, kSurveyed, 0); }));
    }
    host_.ProjectorStatus({});
    // Projectors given while the schedule runs are switched as its entry in force wants.
    if (!projectors_ || current_ == -2 || suspended_) return;
    if (current_ >= 0 && schedule_.entries[static_cast<size_t>(current_)].off) projectors_->SwitchOff();
    else projectors_->SwitchOn();
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
        if (projectors_) projectors_->SwitchOff();
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
    if (projectors_ && (first || wasOff)) {
        // The effect waits for the projectors, at most their warm-up time.
        waitingForProjectors_ = true;
        host_.CloseForNow();
        projectors_->SwitchOn();
        UpdateStatus();
        return;
    }
    host_.PlayPlaylist(entry >= 0 ? list_ : mainList_);
    UpdateStatus();
}

void ScheduledPlay::OnProjectorMessage(WPARAM what)
{
    if (what == kSurveyed) OnProjectorsSurveyed();
    else OnProjectorsReady();
}

void ScheduledPlay::OnProjectorsSurveyed()
{
    if (!projectors_) return;
    std::vector<supervision::ProjectorReport> reports;
    std::string at = supervision::IsoLocalTimeNow();
    for (const projector::Health& health : projectors_->Reports()) {
        supervision::ProjectorReport report;
        report.address = projector::AddressText(health.address);
        report.answered = health.outcome == projector::Answer::Ok;
        if (!report.answered) report.problem = projector::OutcomeText(health.outcome);
        report.power = health.power;
        report.lampHours = health.lampHours;
        report.errors = health.errors;
        report.at = at;
        reports.push_back(report);
    }
    host_.ProjectorStatus(reports);
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
    if (!suspended_ && schedule::NextChange(schedule_, LocalNow(), next, nextEntry))
        json += ", \"next\": " + supervision::JsonString(Describe(nextEntry)) + ", \"nextAt\": \"" + IsoOf(next) + "\"";
    else
        json += ", \"next\": null, \"nextAt\": null";
    json += "}";
    host_.ScheduleStatus(json);
}

}  // namespace launcher
