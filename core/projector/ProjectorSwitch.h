#pragma once
// Switches every projector of the installation on or off from a thread of its own and keeps
// at it: a projector busy warming up or cooling down is asked again in a few seconds, one
// that does not answer, refuses the password or reports an error is asked again every
// minute and each failure is told to the log. Nothing here waits on the caller's thread.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/projector/Pjlink.h"
#include "framework/CriticalSection.h"
#include "framework/Handles.h"

namespace projector {

class ProjectorSwitch {
public:
    using Log = std::function<void(const std::wstring&)>;
    using Ready = std::function<void()>;
    using Surveyed = std::function<void()>;

    struct Timing {
        DWORD warmupMs = 60000;     // the effect starts after this at the latest
        DWORD busyRetryMs = 3000;   // after "ERR3"
        DWORD failRetryMs = 60000;  // after no answer, a wrong password or an error
        DWORD pollMs = 1000;        // asking "POWR ?" while one warms up
        DWORD answerMs = 5000;      // for one exchange
        DWORD firstSurveyMs = 10000;  // the projectors' own reports, first after the start
        DWORD surveyMs = 300000;      // and then this often
        // Milliseconds of a clock that only goes forward; the thread still waits in real time.
        std::function<ULONGLONG()> clock = GetTickCount64;
    };

    // `ready` runs on the switch's thread once every projector reports on, or the warm-up
    // time is over, after each SwitchOn. `surveyed` runs there after each round of reports.
    // None of the three runs once the destructor has returned, and no command goes out after
    // it: a switch that replaces this one talks to the same projector only once this one's
    // exchange under way is over.
    ProjectorSwitch(std::vector<Address> addresses, std::string password, const Timing& timing, Log log, Ready ready,
                    Surveyed surveyed = nullptr);
    ~ProjectorSwitch();
    ProjectorSwitch(const ProjectorSwitch&) = delete;
    ProjectorSwitch& operator=(const ProjectorSwitch&) = delete;

    void SwitchOn() { Want(1); }
    void SwitchOff() { Want(0); }
    bool Empty() const;
    // The last round of reports, one per projector in address order (empty before the first).
    std::vector<Health> Reports();

    // One exchange with each projector now, as the settings page's test button shows it:
    // "host:port: answer" lines.
    static std::vector<std::wstring> TryAll(const std::vector<Address>& addresses, const std::string& password,
                                            DWORD answerMs = 3000);

private:
    // What the switch's thread uses, shared with it: an owner that goes while an exchange is
    // under way (a silent projector holds one for seconds) neither waits for it on its own
    // thread nor leaves the thread on freed memory.
    struct Worker;
    static DWORD WINAPI ThreadMain(void* worker);
    void Want(int power);

    std::shared_ptr<Worker> worker_;
    kit::UniqueHandle thread_;
};

std::wstring AddressText(const Address& address);

}  // namespace projector
