#pragma once
// The installation's projectors: made once at start-up from the "projector" section of
// Bin\config.ini and read again when the settings change, whether or not a schedule exists.
// The schedule (and an operator's command) asks them on or off; what they report goes to the
// status. Everything the switch's thread tells comes back on the bar's thread.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/projector/ProjectorSwitch.h"
#include "launcher/supervision/StatusReport.h"

namespace launcher {

class ProjectorControl {
public:
    using Log = std::function<void(const std::wstring&)>;
    using Ready = std::function<void()>;
    using Surveyed = std::function<void(const std::vector<supervision::ProjectorReport>&)>;

    // `bar` runs what the switch's thread hands back (launcher::kRunOnBarMessage).
    ProjectorControl(HWND bar, std::wstring logFolder, Log log);
    ~ProjectorControl();
    ProjectorControl(const ProjectorControl&) = delete;
    ProjectorControl& operator=(const ProjectorControl&) = delete;

    // The section (again); values it cannot use are logged. Projectors already asked on or off
    // are asked again as before.
    void Load(const wchar_t* configFile);
    bool Any() const { return switch_ != nullptr; }
    void SwitchOn();
    void SwitchOff();
    // After each SwitchOn, once every projector reports on or the warm-up is over.
    void SetReady(Ready ready) { ready_ = std::move(ready); }
    // After each round of the projectors' own reports.
    void SetSurveyed(Surveyed surveyed) { surveyed_ = std::move(surveyed); }

private:
    void Tell(unsigned generation, bool ready);

    HWND bar_;
    std::wstring logFolder_;
    Log log_;
    std::unique_ptr<projector::ProjectorSwitch> switch_;
    unsigned generation_ = 0;  // a report of a switch replaced since is not told
    int wanted_ = -1;          // -1 nothing asked yet, 0 off, 1 on
    Ready ready_;
    Surveyed surveyed_;
};

}  // namespace launcher
