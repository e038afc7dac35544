#pragma once
// Everything the launcher tells off site and keeps of a failure: the webhook's events (section
// [alerts]) and the pictures of the projection in log\shots\. Lives on the bar's thread; what
// takes time runs on the sender's and the pictures' threads.
#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "launcher/alerts/AlertSender.h"
#include "launcher/pictures/FailureShots.h"
#include "launcher/supervision/EventSink.h"
#include "launcher/supervision/StatusReport.h"

namespace alerts {

class LauncherNotices : public supervision::EventSink {
public:
    using LogLine = std::function<void(const std::wstring&)>;
    // `log` writes to log\pavora.log and is called on the bar's thread only: lines of the other
    // threads are posted to `bar` first.
    LauncherNotices(HWND bar, const std::wstring& installFolder, const wchar_t* configFile, LogLine log);
    ~LauncherNotices() override;

    void LauncherRestarted(const std::wstring& why);
    // The projectors' survey: a projector that stops answering or reports an error is told once,
    // when it does.
    void ProjectorsSurveyed(const std::vector<supervision::ProjectorReport>& reports);

    // supervision::EventSink
    void EffectEnding(const std::string& reason) override;
    void EffectFailed(const std::wstring& path, const std::string& reason, const std::wstring& detail) override;
    void SetAside(const std::wstring& path, const std::wstring& detail) override;
    void SetAsideOver(const std::wstring& path) override;
    void StandbyOn(const std::wstring& why) override;
    void StandbyOff() override;

private:
    void Tell(AlertKind kind, const std::wstring& effect, const std::wstring& reason);

    // What a posted line needs once the notices may be gone.
    struct Relay {
        std::mutex lock;
        LogLine log;  // cleared when the notices end
    };
    std::shared_ptr<Relay> relay_;
    std::set<std::wstring> projectorsInError_;
    // The failure pictured before its effect was ended, so that it is not pictured again.
    std::mutex picturedLock_;
    std::string pictured_;
    std::unique_ptr<AlertSender> sender_;
    std::unique_ptr<pictures::FailureShots> shots_;
};

}  // namespace alerts
