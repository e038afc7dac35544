#pragma once
// log\status.json and log\pavora.prom: what plays, since when, and what went wrong, each
// file replaced in one step so that a reader never sees half of one.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace supervision {

// What a projector last reported of itself.
struct ProjectorReport {
    std::wstring address;    // "host:port"
    bool answered = false;
    std::wstring problem;    // why not, when it did not answer
    int power = -1;          // 0 off, 1 on, 2 cooling down, 3 warming up
    long lampHours = -1;     // -1: not reported
    std::string errors;      // six digits (fan, lamp, temperature, cover, filter, other), or empty
    std::string at;          // ISO 8601 local time of the report
};

struct StatusSnapshot {
    bool running = true;          // false once the launcher ends
    std::string state;            // "playing", "restarting", "standby", "stopped"
    std::wstring effect;          // empty: none
    std::string since;            // ISO 8601 local time
    ULONGLONG effectSeconds = 0;  // since the effect started
    DWORD pid = 0;
    bool rotation = false;
    int index = -1;
    int next = -1;
    std::string nextAt;
    // Per effect, per reason ("crash", "exit", "hang", "crashdialog", "notstarted"): the
    // restarts after a fault of that kind, and the faults.
    std::map<std::wstring, std::map<std::string, unsigned>> restarts;
    std::map<std::wstring, std::map<std::string, unsigned>> failures;
    std::vector<std::wstring> quarantined;
    std::string launcherStarted;
    std::string version;
    std::string scheduleJson = "null";  // a JSON value, as the schedule gives it
    std::vector<ProjectorReport> projectors;
};

std::string StatusJson(const StatusSnapshot& status);
// A JSON string of the text (UTF-8, quoted, escaped).
std::string JsonString(const std::wstring& text);
std::string StatusMetrics(const StatusSnapshot& status);

}  // namespace supervision
