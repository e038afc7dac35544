#pragma once
// OSC as show-control desks send it: the messages addressed /pavora/<command> in one packet
// (bundles opened, their time tags not waited for), read with oscpack, and the replies.
#include <string>
#include <vector>

#include "launcher/remote/RemoteCommands.h"

namespace remote {

struct OscRequest {
    std::string name;  // the address after "/pavora/"
    bool ok = false;
    RemoteCommand command;
    std::string error;  // why not, when not ok
};

const size_t kMostOscBytes = 4096;
const int kMostOscDepth = 4;  // bundles within bundles
const size_t kMostOscMessages = 16;

// The requests of one packet, in its order; messages to other addresses are left out (a desk
// may share the port with other gear). False, and none at all, for a packet that is not
// well-formed OSC or passes the limits above.
bool ReadOscPacket(const char* data, size_t size, std::vector<OscRequest>& requests);

// "/pavora/state" with the state, the entry (from 1, 0 for none) and the effect's path.
std::string OscStateReply(const RemoteStatus& status);
// "/pavora/error" with the address's name and why it was not done.
std::string OscErrorReply(const std::string& name, const std::string& error);

}  // namespace remote
