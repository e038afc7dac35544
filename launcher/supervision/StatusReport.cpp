#include "launcher/supervision/StatusReport.h"

#include <cstdio>

#include <nlohmann/json.hpp>

#include "framework/Utf8.h"

namespace supervision {
namespace {

using Json = nlohmann::ordered_json;

// A text that is no UTF-8 (a path with a lone surrogate) is written with U+FFFD, not refused.
std::string Scalar(const Json& value)
{
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// On one line with ", " and ": ", as the file has always been written and readers quote it.
std::string Inline(const Json& value)
{
    if (!value.is_object() && !value.is_array()) return Scalar(value);
    std::string out = value.is_object() ? "{" : "[";
    bool first = true;
    for (auto item = value.begin(); item != value.end(); ++item) {
        out += first ? "" : ", ";
        if (value.is_object()) out += Scalar(item.key()) + ": ";
        out += Inline(item.value());
        first = false;
    }
    return out + (value.is_object() ? "}" : "]");
}

Json Text(const std::wstring& text)
{
    return Json(kit::ToUtf8(text));
}

Json TextOrNull(const std::wstring& text)
{
    return text.empty() ? Json() : Text(text);
}

Json TextOrNull(const std::string& ascii)
{
    return ascii.empty() ? Json() : Json(ascii);
}

Json NumberOrNull(long value)
{
    return value < 0 ? Json() : Json(value);
}

// A label value of the text format: backslash, quote and line break escaped.
std::string LabelValue(const std::wstring& text)
{
    std::string out;
    for (char c : kit::ToUtf8(text)) {
        if (c == '\\') out += "\\\\";
        else if (c == '"') out += "\\\"";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

void Family(std::string& out, const char* name, const char* type, const char* help)
{
    out += std::string("# HELP ") + name + " " + help + "\n";
    out += std::string("# TYPE ") + name + " " + type + "\n";
}

void Counters(std::string& out, const char* name, const std::map<std::wstring, std::map<std::string, unsigned>>& counts)
{
    for (const auto& entry : counts)
        for (const auto& reason : entry.second)
            out += std::string(name) + "{effect=\"" + LabelValue(entry.first) + "\",reason=\"" + reason.first + "\"} " +
                   std::to_string(reason.second) + "\n";
}

}  // namespace

std::string JsonString(const std::wstring& text)
{
    return Scalar(Text(text));
}

std::string StatusJson(const StatusSnapshot& s)
{
    Json status = Json::object();
    status["state"] = s.state;
    status["effect"] = TextOrNull(s.effect);
    status["since"] = s.since;
    status["pid"] = s.pid ? Json(s.pid) : Json();
    status["rotation"] = s.rotation ? Json{{"index", s.index}, {"next", s.next}, {"nextAt", TextOrNull(s.nextAt)}}
                                    : Json();
    Json restarts = Json::object();
    for (const auto& entry : s.restarts) {
        unsigned total = 0;
        for (const auto& reason : entry.second) total += reason.second;
        restarts[kit::ToUtf8(entry.first)] = total;
    }
    status["restarts"] = restarts;
    Json quarantined = Json::array();
    for (const std::wstring& path : s.quarantined) quarantined.push_back(Text(path));
    status["quarantined"] = quarantined;
    // The schedule's own JSON; a value that is none would spoil the whole file.
    Json schedule = Json::parse(s.scheduleJson, nullptr, false);
    status["schedule"] = schedule.is_discarded() ? Json() : schedule;
    Json projectors = Json::array();
    for (const ProjectorReport& p : s.projectors)
        projectors.push_back(Json{{"address", Text(p.address)},
                                  {"answered", p.answered},
                                  {"problem", TextOrNull(p.problem)},
                                  {"power", NumberOrNull(p.power)},
                                  {"lampHours", NumberOrNull(p.lampHours)},
                                  {"errors", TextOrNull(p.errors)},
                                  {"at", p.at}});
    status["projectors"] = projectors;
    status["launcherStarted"] = s.launcherStarted;
    status["version"] = s.version;

    // One key a line, and one projector a line.
    std::string out = "{\n";
    size_t left = status.size();
    for (auto item = status.begin(); item != status.end(); ++item) {
        out += "  " + Scalar(item.key()) + ": ";
        if (item.key() == "projectors" && !item.value().empty()) {
            out += "[";
            bool first = true;
            for (const Json& projector : item.value()) {
                out += (first ? "\n    " : ",\n    ") + Inline(projector);
                first = false;
            }
            out += "\n  ]";
        } else {
            out += Inline(item.value());
        }
        out += --left ? ",\n" : "\n";
    }
    return out + "}\n";
}

std::string StatusMetrics(const StatusSnapshot& s)
{
    std::string out;
    Family(out, "pavora_up", "gauge", "1 while the launcher runs, 0 once it ended.");
    out += std::string("pavora_up ") + (s.running ? "1" : "0") + "\n";
    Family(out, "pavora_state", "gauge", "The launcher's state: 1 for the one in force.");
    for (const char* state : {"playing", "restarting", "standby", "stopped"})
        out += std::string("pavora_state{state=\"") + state + "\"} " + (s.state == state ? "1" : "0") + "\n";
    Family(out, "pavora_effect_playing", "gauge", "The effect that plays, by its path.");
    if (!s.effect.empty()) out += "pavora_effect_playing{effect=\"" + LabelValue(s.effect) + "\"} 1\n";
    Family(out, "pavora_effect_seconds", "gauge", "Seconds since the playing effect started.");
    out += "pavora_effect_seconds " + std::to_string(s.effect.empty() ? 0 : s.effectSeconds) + "\n";
    Family(out, "pavora_effect_restarts_total", "counter", "Restarts of an effect after a fault, by effect and reason.");
    Counters(out, "pavora_effect_restarts_total", s.restarts);
    Family(out, "pavora_effect_failures_total", "counter", "Failures of an effect, by effect and reason.");
    Counters(out, "pavora_effect_failures_total", s.failures);
    Family(out, "pavora_quarantined_entries", "gauge", "Playlist entries set aside after repeated failures.");
    out += "pavora_quarantined_entries " + std::to_string(s.quarantined.size()) + "\n";
    Family(out, "pavora_effect_quarantined", "gauge", "1 for each entry set aside, by effect.");
    for (const std::wstring& path : s.quarantined)
        out += "pavora_effect_quarantined{effect=\"" + LabelValue(path) + "\"} 1\n";
    Family(out, "pavora_projector_up", "gauge", "1 when the projector answered its last report.");
    for (const ProjectorReport& p : s.projectors)
        out += "pavora_projector_up{projector=\"" + LabelValue(p.address) + "\"} " + (p.answered ? "1" : "0") + "\n";
    Family(out, "pavora_projector_power_state", "gauge",
           "The projector's power: 0 off, 1 on, 2 cooling down, 3 warming up.");
    for (const ProjectorReport& p : s.projectors)
        if (p.power >= 0)
            out += "pavora_projector_power_state{projector=\"" + LabelValue(p.address) + "\"} " +
                   std::to_string(p.power) + "\n";
    Family(out, "pavora_projector_lamp_hours", "gauge", "Hours on the projector's first lamp.");
    for (const ProjectorReport& p : s.projectors)
        if (p.lampHours >= 0)
            out += "pavora_projector_lamp_hours{projector=\"" + LabelValue(p.address) + "\"} " +
                   std::to_string(p.lampHours) + "\n";
    Family(out, "pavora_projector_error_state", "gauge",
           "The projector's error status by part: 0 fine, 1 warning, 2 error.");
    static const char* const kParts[] = {"fan", "lamp", "temperature", "cover", "filter", "other"};
    for (const ProjectorReport& p : s.projectors)
        for (size_t i = 0; i < p.errors.size() && i < 6; ++i)
            out += "pavora_projector_error_state{projector=\"" + LabelValue(p.address) + "\",part=\"" + kParts[i] +
                   "\"} " + p.errors[i] + "\n";
    Family(out, "pavora_info", "gauge", "The launcher's version.");
    out += "pavora_info{version=\"" + s.version + "\"} 1\n";
    return out;
}

}  // namespace supervision
