#include "launcher/supervision/StatusReport.h"

#include <cstdio>

#include "framework/Utf8.h"

namespace supervision {
namespace {

std::string JsonText(const std::wstring& text)
{
    std::string out = "\"";
    for (unsigned char c : kit::ToUtf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof(escape), "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string JsonText(const std::string& ascii)
{
    return JsonText(std::wstring(ascii.begin(), ascii.end()));
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
    return JsonText(text);
}

std::string StatusJson(const StatusSnapshot& s)
{
    std::string out = "{\n";
    out += "  \"state\": " + JsonText(s.state) + ",\n";
    out += "  \"effect\": " + (s.effect.empty() ? std::string("null") : JsonText(s.effect)) + ",\n";
    out += "  \"since\": " + JsonText(s.since) + ",\n";
    out += "  \"pid\": " + (s.pid ? std::to_string(s.pid) : std::string("null")) + ",\n";
    if (s.rotation) {
        out += "  \"rotation\": {\"index\": " + std::to_string(s.index) + ", \"next\": " + std::to_string(s.next) +
               ", \"nextAt\": " + (s.nextAt.empty() ? std::string("null") : JsonText(s.nextAt)) + "},\n";
    } else {
        out += "  \"rotation\": null,\n";
    }
    out += "  \"restarts\": {";
    bool first = true;
    for (const auto& entry : s.restarts) {
        unsigned total = 0;
        for (const auto& reason : entry.second) total += reason.second;
        out += (first ? "" : ", ") + JsonText(entry.first) + ": " + std::to_string(total);
        first = false;
    }
    out += "},\n  \"quarantined\": [";
    first = true;
    for (const std::wstring& path : s.quarantined) {
        out += (first ? "" : ", ") + JsonText(path);
        first = false;
    }
    out += "],\n";
    out += "  \"schedule\": " + s.scheduleJson + ",\n";
    out += "  \"projectors\": [";
    first = true;
    auto number = [](long value) { return value < 0 ? std::string("null") : std::to_string(value); };
    for (const ProjectorReport& p : s.projectors) {
        out += std::string(first ? "\n" : ",\n") + "    {\"address\": " + JsonText(p.address) +
               ", \"answered\": " + (p.answered ? "true" : "false") +
               ", \"problem\": " + (p.problem.empty() ? std::string("null") : JsonText(p.problem)) +
               ", \"power\": " + number(p.power) + ", \"lampHours\": " + number(p.lampHours) +
               ", \"errors\": " + (p.errors.empty() ? std::string("null") : JsonText(p.errors)) +
               ", \"at\": " + JsonText(p.at) + "}";
        first = false;
    }
    out += first ? "],\n" : "\n  ],\n";
    out += "  \"launcherStarted\": " + JsonText(s.launcherStarted) + ",\n";
    out += "  \"version\": " + JsonText(s.version) + "\n}\n";
    return out;
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
