#include "launcher/remote/DatagramListener.h"
#include "launcher/remote/osc/OscPackets.h"

namespace remote {

namespace {

// Every /pavora/ message of a packet runs in order; each is answered to its sender with
// /pavora/state as it stands after it, or /pavora/error with why it was not done. A sender
// outside the allow-list and a malformed packet get nothing back.
class OscListener : public Transport {
public:
    explicit OscListener(RemoteContext& context)
        : gate_(context, L"osc"),
          listener_(kMostOscBytes, [this](const Datagram& datagram) { return Answer(datagram); })
    {
    }

    bool Start(WORD port, std::wstring& problem) { return listener_.Start(port, problem); }

private:
    std::vector<std::string> Answer(const Datagram& datagram)
    {
        if (!gate_.Admits(datagram.address)) return {};
        std::vector<OscRequest> requests;
        if (datagram.truncated || !ReadOscPacket(datagram.data, datagram.size, requests)) {
            gate_.Note(datagram.address, L"a packet that is not well-formed OSC, or too large, dropped");
            return {};
        }
        std::vector<std::string> replies;
        for (const OscRequest& request : requests) {
            std::string why = request.error;
            if (request.ok && !request.command.status) why = gate_.Run(request.command.request, datagram.address);
            replies.push_back(why.empty() ? OscStateReply(gate_.Status()) : OscErrorReply(request.name, why));
        }
        return replies;
    }

    CommandGate gate_;
    DatagramListener listener_;  // after the gate: its thread ends before the gate goes
};

}  // namespace

std::unique_ptr<Transport> StartOsc(RemoteContext& context, std::wstring& problem)
{
    std::unique_ptr<OscListener> transport(new OscListener(context));
    if (!transport->Start(context.settings.osc, problem)) return nullptr;
    return transport;
}

}  // namespace remote
