#include "launcher/remote/DatagramListener.h"
#include "launcher/remote/text/TextLines.h"

namespace remote {

namespace {

// One command per datagram, answered to its sender; a sender outside the allow-list gets
// nothing back, so that a scan learns nothing.
class TextUdp : public Transport {
public:
    explicit TextUdp(RemoteContext& context)
        : gate_(context, L"udp"),
          listener_(kMostLineBytes + 2, [this](const Datagram& datagram) { return Answer(datagram); })
    {
    }

    bool Start(WORD port, std::wstring& problem) { return listener_.Start(port, problem); }

private:
    std::vector<std::string> Answer(const Datagram& datagram)
    {
        if (!gate_.Admits(datagram.address)) return {};
        std::string line(datagram.data, datagram.size);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        if (datagram.truncated || line.size() > kMostLineBytes) {
            gate_.Note(datagram.address, L"a datagram longer than " + std::to_wstring(kMostLineBytes) + L" bytes");
            return {"ERR line too long\r\n"};
        }
        return {AnswerLine(gate_, line, datagram.address) + "\r\n"};
    }

    CommandGate gate_;
    DatagramListener listener_;  // after the gate: its thread ends before the gate goes
};

}  // namespace

std::unique_ptr<Transport> StartTextUdp(RemoteContext& context, std::wstring& problem)
{
    std::unique_ptr<TextUdp> transport(new TextUdp(context));
    if (!transport->Start(context.settings.udp, problem)) return nullptr;
    return transport;
}

}  // namespace remote
