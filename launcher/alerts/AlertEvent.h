#pragma once
// One event told to the webhook, and the JSON body it is posted as.
#include <string>

namespace alerts {

enum class AlertKind {
    EffectFailed,
    SetAside,
    SetAsideBack,
    StandbyOn,
    StandbyOff,
    LauncherRestarted,
    ProjectorError,
    Alive,
};

// The "event" field: "effect failed", "entry set aside", "entry back", …
const char* EventName(AlertKind kind);
// The closing half of a pair (back to normal), which no throttle may drop.
bool IsBackToNormal(AlertKind kind);

struct AlertEvent {
    AlertKind kind = AlertKind::Alive;
    std::wstring effect;
    std::wstring reason;
};

// Where and when an event happened; the same for every event of one launcher.
struct AlertOrigin {
    std::wstring host;
    std::wstring installation;
    std::string version;
};

// `time` is ISO 8601 UTC ("2026-12-10T10:15:02Z"); `suppressed` > 0 adds the field.
std::string AlertBody(const AlertEvent& event, const AlertOrigin& origin, const std::string& time, unsigned suppressed);
// The present moment as AlertBody wants it.
std::string UtcNowText();

}  // namespace alerts
