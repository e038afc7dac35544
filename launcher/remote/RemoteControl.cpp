#include "launcher/remote/RemoteControl.h"

namespace remote {

RemoteControl::RemoteControl(const std::wstring& folder, CommandSink& sink, TextLookup text)
    : settings_(RemoteSettings::Read((folder + L"\\Bin\\config.ini").c_str())),
      context_{settings_, sink, refusals_, folder, std::move(text)}
{
    for (const std::wstring& note : settings_.notes) sink.Log(L"remote control: " + note);
    if (!settings_.AnyOn()) return;
    const struct {
        const wchar_t* name;
        WORD port;
        std::unique_ptr<Transport> (*start)(RemoteContext&, std::wstring&);
    } kTransports[] = {
        {L"HTTP", settings_.http, StartHttpConsole},
        {L"text over TCP", settings_.tcp, StartTextTcp},
        {L"text over UDP", settings_.udp, StartTextUdp},
        {L"OSC", settings_.osc, StartOsc},
    };
    std::wstring listening;
    for (const auto& transport : kTransports) {
        if (!transport.port) continue;
        std::wstring problem;
        std::unique_ptr<Transport> started = transport.start(context_, problem);
        std::wstring where = std::wstring(transport.name) + L" on port " + std::to_wstring(transport.port);
        if (!started) {
            sink.Log(L"remote control: " + where + L" is off: " + problem);
            continue;
        }
        transports_.push_back(std::move(started));
        listening += (listening.empty() ? L"" : L", ") + where;
    }
    if (!listening.empty())
        sink.Log(L"remote control: " + listening + L"; commands from " + settings_.allow.Text());
}

RemoteControl::~RemoteControl() = default;

}  // namespace remote
