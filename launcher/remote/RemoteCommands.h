#pragma once
// The remote control's one command set, as each transport writes it: a text line ("PLAY 3"),
// a JSON body ({"command": "play", "entry": 3}) or an OSC address with its argument. Each
// becomes the bar's own Request; "status" asks for what plays instead.
#include <string>

#include "launcher/Command.h"

namespace remote {

struct RemoteCommand {
    bool status = false;  // a status query; `request` unused
    launcher::Request request{launcher::Command::Next};
};

// False with the reason for the answer ("ERR <reason>", {"ok": false, "error": …}).
bool ParseTextCommand(const std::string& line, RemoteCommand& command, std::string& error);
bool ParseJsonCommand(const std::string& body, RemoteCommand& command, std::string& error);
// `name` is the part after "/pavora/"; `hasNumber` tells whether an int32 came with it.
bool CommandFromOsc(const std::string& name, bool hasNumber, int number, RemoteCommand& command, std::string& error);

// The lowercase name a command is logged by ("play 3", "standby on").
std::wstring CommandName(const launcher::Request& request);

// What plays, from the JSON of log\status.json: entry from 1 (0 for none); effect and next
// empty when there are none; state "unknown" for a file that is not one.
struct RemoteStatus {
    std::string state = "unknown";
    long long entry = 0;
    std::string effect;  // UTF-8
    std::string next;
};
RemoteStatus StatusOf(const std::string& statusJson);

// The one-line answer to "STATUS?", from the JSON of log\status.json:
// STATUS state=<state> entry=<n> effect="<path>" next="<time>" (entry 0, effect and next
// empty when there are none).
std::string StatusLine(const std::string& statusJson);
std::string StatusLine(const RemoteStatus& status);

// Text and length limits every transport applies alike.
const size_t kMostLineBytes = 1024;
const size_t kMostBodyBytes = 64 * 1024;

}  // namespace remote
