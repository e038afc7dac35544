#include "launcher/alerts/AlertEvent.h"

#include <windows.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "framework/Utf8.h"

namespace alerts {

const char* EventName(AlertKind kind)
{
    switch (kind) {
    case AlertKind::EffectFailed: return "effect failed";
    case AlertKind::SetAside: return "entry set aside";
    case AlertKind::SetAsideBack: return "entry back";
    case AlertKind::StandbyOn: return "standby on";
    case AlertKind::StandbyOff: return "standby off";
    case AlertKind::LauncherRestarted: return "launcher restarted";
    case AlertKind::ProjectorError: return "projector error";
    case AlertKind::Alive: return "alive";
    }
    return "unknown";
}

bool IsBackToNormal(AlertKind kind)
{
    return kind == AlertKind::SetAsideBack || kind == AlertKind::StandbyOff;
}

std::string AlertBody(const AlertEvent& event, const AlertOrigin& origin, const std::string& time, unsigned suppressed)
{
    nlohmann::json body = {
        {"event", EventName(event.kind)},
        {"effect", kit::ToUtf8(event.effect)},
        {"reason", kit::ToUtf8(event.reason)},
        {"time", time},
        {"host", kit::ToUtf8(origin.host)},
        {"installation", kit::ToUtf8(origin.installation)},
        {"version", origin.version},
    };
    if (suppressed > 0) body["suppressed"] = suppressed;
    // Paths from the file system may hold bytes that are no UTF-8; they must not stop the alert.
    return body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string UtcNowText()
{
    SYSTEMTIME t = {};
    GetSystemTime(&t);
    char text[32];
    snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond);
    return text;
}

}  // namespace alerts
