#include "launcher/alerts/LauncherNotices.h"

#include "framework/PostToWindow.h"
#include "launcher/BarWiring.h"

#ifndef PAVORA_VERSION_TEXT
#define PAVORA_VERSION_TEXT "unknown"
#endif

namespace alerts {

namespace {

std::wstring ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = ARRAYSIZE(name);
    return GetComputerNameW(name, &size) ? name : L"";
}

}  // namespace

LauncherNotices::LauncherNotices(HWND bar, const std::wstring& installFolder, const wchar_t* configFile, LogLine log)
    : relay_(std::make_shared<Relay>())
{
    relay_->log = log;
    std::shared_ptr<Relay> relay = relay_;
    auto fromAnyThread = [bar, relay](const std::wstring& line) {
        kit::PostToWindow(bar, launcher::kRunOnBarMessage, [relay, line] {
            std::lock_guard<std::mutex> hold(relay->lock);
            if (relay->log) relay->log(line);
        });
    };

    AlertSettings settings = AlertSettings::Read(configFile);
    for (const std::wstring& note : settings.notes) log(note);
    if (settings.On()) {
        AlertOrigin origin{ComputerName(), installFolder, PAVORA_VERSION_TEXT};
        sender_ = std::make_unique<AlertSender>(settings, origin, installFolder + L"\\log\\alerts-queue.json",
                                                fromAnyThread, AlertSender::Options());
        log(L"alerts go to " + settings.ShownAddress() + (settings.secret.empty() ? L", unsigned" : L", signed"));
        Tell(AlertKind::Alive, L"", L"launcher started");
    }
    shots_ = std::make_unique<pictures::FailureShots>(installFolder + L"\\log", fromAnyThread);
}

LauncherNotices::~LauncherNotices()
{
    // Their threads end first; a line they posted that arrives later finds no log and is dropped.
    sender_.reset();
    shots_.reset();
    std::lock_guard<std::mutex> hold(relay_->lock);
    relay_->log = nullptr;
}

void LauncherNotices::Tell(AlertKind kind, const std::wstring& effect, const std::wstring& reason)
{
    if (sender_) sender_->Tell({kind, effect, reason});
}

void LauncherNotices::LauncherRestarted(const std::wstring& why)
{
    shots_->Keep("restart");
    Tell(AlertKind::LauncherRestarted, L"", why);
}

void LauncherNotices::ProjectorsSurveyed(const std::vector<supervision::ProjectorReport>& reports)
{
    for (const auto& report : reports) {
        std::wstring problem;
        if (!report.answered) {
            problem = L"no answer: " + report.problem;
        } else if (report.errors.find_first_not_of('0') != std::string::npos) {
            problem = L"error status " + std::wstring(report.errors.begin(), report.errors.end());
        }
        if (problem.empty()) {
            projectorsInError_.erase(report.address);
        } else if (projectorsInError_.insert(report.address).second) {
            Tell(AlertKind::ProjectorError, report.address, problem);
        }
    }
}

void LauncherNotices::EffectEnding(const std::string& reason)
{
    shots_->KeepNow(reason);
    std::lock_guard<std::mutex> hold(picturedLock_);
    pictured_ = reason;
}

void LauncherNotices::EffectFailed(const std::wstring& path, const std::string& reason, const std::wstring& detail)
{
    (void)detail;
    std::string pictured;
    {
        std::lock_guard<std::mutex> hold(picturedLock_);
        pictured.swap(pictured_);
    }
    if (pictured != reason) shots_->Keep(reason);
    Tell(AlertKind::EffectFailed, path, std::wstring(reason.begin(), reason.end()));
}

void LauncherNotices::SetAside(const std::wstring& path, const std::wstring& detail)
{
    Tell(AlertKind::SetAside, path, detail);
}

void LauncherNotices::SetAsideOver(const std::wstring& path)
{
    Tell(AlertKind::SetAsideBack, path, L"quarantine over");
}

void LauncherNotices::StandbyOn(const std::wstring& why)
{
    const std::wstring prefix = L"standby on: ";
    Tell(AlertKind::StandbyOn, L"", why.compare(0, prefix.size(), prefix) == 0 ? why.substr(prefix.size()) : why);
}

void LauncherNotices::StandbyOff()
{
    Tell(AlertKind::StandbyOff, L"", L"");
}

}  // namespace alerts
