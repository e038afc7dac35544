#include "launcher/remote/RemoteCommands.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include <nlohmann/json.hpp>


namespace remote {

using launcher::Command;

namespace {

// The commands without an argument, by their name in every transport.
const struct {
    const char* name;
    Command command;
} kPlainCommands[] = {
    {"start", Command::StartRotation},
    {"stop", Command::StopRotation},
    {"next", Command::Next},
    {"previous", Command::Previous},
};

// Entries past this are no playlist anyone keeps; it also keeps the number in an int.
const long kMostEntry = 100000;

bool Plain(const std::string& name, RemoteCommand& command)
{
    for (const auto& plain : kPlainCommands) {
        if (name != plain.name) continue;
        command.request.command = plain.command;
        return true;
    }
    return false;
}

bool Switch(const std::string& name, bool on, RemoteCommand& command)
{
    if (name == "standby") command.request.command = on ? Command::StandbyOn : Command::StandbyOff;
    else if (name == "projectors") command.request.command = on ? Command::ProjectorsOn : Command::ProjectorsOff;
    else return false;
    return true;
}

bool Entry(long entry, RemoteCommand& command, std::string& error)
{
    if (entry < 1 || entry > kMostEntry) {
        error = "play needs an entry number from 1";
        return false;
    }
    command.request.command = Command::PlayEntry;
    command.request.entry = static_cast<int>(entry - 1);
    return true;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Quoted(const std::string& text)
{
    // A path never holds a quote; one that did would end the field early for every reader.
    std::string out = "\"";
    for (char c : text) out += c == '"' ? '\'' : c;
    return out + "\"";
}

std::string StringAt(const nlohmann::json& object, const char* key)
{
    auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

}  // namespace

bool ParseTextCommand(const std::string& line, RemoteCommand& command, std::string& error)
{
    if (line.size() > kMostLineBytes) {
        error = "line too long";
        return false;
    }
    std::vector<std::string> words;
    std::string word;
    for (unsigned char c : line) {
        if (c == ' ' || c == '\t') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else if (c < 0x20 || c >= 0x7F) {
            error = "not a command";
            return false;
        } else {
            word += static_cast<char>(std::tolower(c));
        }
    }
    if (!word.empty()) words.push_back(word);
    command = RemoteCommand();
    if (words.size() == 1 && (words[0] == "status?" || words[0] == "status")) {
        command.status = true;
        return true;
    }
    if (words.size() == 1 && Plain(words[0], command)) return true;
    if (words.size() == 2 && words[0] == "play") {
        const std::string& number = words[1];
        if (number.size() > 6 || number.find_first_not_of("0123456789") != std::string::npos) {
            error = "play needs an entry number from 1";
            return false;
        }
        return Entry(std::stol(number), command, error);
    }
    if (words.size() == 2 && (words[1] == "on" || words[1] == "off") && Switch(words[0], words[1] == "on", command))
        return true;
    error = words.empty() ? "empty command" : "unknown command";
    return false;
}

bool ParseJsonCommand(const std::string& body, RemoteCommand& command, std::string& error)
{
    if (body.size() > kMostBodyBytes) {
        error = "body too large";
        return false;
    }
    nlohmann::json json = nlohmann::json::parse(body, nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        error = "the body is not a JSON object";
        return false;
    }
    std::string name = Lower(StringAt(json, "command"));
    command = RemoteCommand();
    if (name == "status") {
        command.status = true;
        return true;
    }
    if (Plain(name, command)) return true;
    if (name == "play") {
        auto entry = json.find("entry");
        if (entry == json.end() || !entry->is_number_integer()) {
            error = "play needs \"entry\", a number from 1";
            return false;
        }
        long long value = entry->get<long long>();
        return Entry(value < 1 || value > kMostEntry ? 0 : static_cast<long>(value), command, error);
    }
    if (name == "standby" || name == "projectors") {
        auto on = json.find("on");
        if (on == json.end() || !on->is_boolean()) {
            error = name + " needs \"on\": true or false";
            return false;
        }
        return Switch(name, on->get<bool>(), command);
    }
    error = name.empty() ? "no \"command\" given" : "unknown command";
    return false;
}

bool CommandFromOsc(const std::string& name, bool hasNumber, int number, RemoteCommand& command, std::string& error)
{
    command = RemoteCommand();
    if (name == "status") {
        command.status = true;
        return true;
    }
    if (Plain(name, command)) return true;
    if (name != "play" && name != "standby" && name != "projectors") {
        error = "unknown address";
        return false;
    }
    if (!hasNumber) {
        error = "/pavora/" + name + " needs an int32";
        return false;
    }
    if (name == "play") return Entry(number, command, error);
    if (number != 0 && number != 1) {
        error = "/pavora/" + name + " takes 0 or 1";
        return false;
    }
    return Switch(name, number == 1, command);
}

std::wstring CommandName(const launcher::Request& request)
{
    switch (request.command) {
    case Command::StartRotation: return L"start";
    case Command::StopRotation: return L"stop";
    case Command::Next: return L"next";
    case Command::Previous: return L"previous";
    case Command::PlayEntry: return L"play " + std::to_wstring(request.entry + 1);
    case Command::StandbyOn: return L"standby on";
    case Command::StandbyOff: return L"standby off";
    case Command::ProjectorsOn: return L"projectors on";
    case Command::ProjectorsOff: return L"projectors off";
    default: return L"command " + std::to_wstring(static_cast<int>(request.command));
    }
}

RemoteStatus StatusOf(const std::string& statusJson)
{
    RemoteStatus out;
    nlohmann::json status = nlohmann::json::parse(statusJson, nullptr, false);
    if (status.is_discarded() || !status.is_object()) return out;
    std::string state = StringAt(status, "state");
    if (!state.empty()) out.state = state;
    auto rotation = status.find("rotation");
    if (rotation != status.end() && rotation->is_object()) {
        auto index = rotation->find("index");
        // A damaged file's index must not overflow the count from 1.
        if (index != rotation->end() && index->is_number_integer() && index->get<long long>() >= 0 &&
            index->get<long long>() < 1000000)
            out.entry = index->get<long long>() + 1;
        out.next = StringAt(*rotation, "nextAt");
    }
    auto schedule = status.find("schedule");
    if (out.next.empty() && schedule != status.end() && schedule->is_object()) out.next = StringAt(*schedule, "nextAt");
    out.effect = StringAt(status, "effect");
    return out;
}

std::string StatusLine(const std::string& statusJson)
{
    return StatusLine(StatusOf(statusJson));
}

std::string StatusLine(const RemoteStatus& status)
{
    // Words of the line are split at spaces: the state is one word whatever the file says.
    std::string state = status.state;
    for (char& c : state)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '-';
    return "STATUS state=" + state + " entry=" + std::to_string(status.entry) + " effect=" + Quoted(status.effect) +
           " next=" + Quoted(status.next);
}

}  // namespace remote
