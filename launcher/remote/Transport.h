#pragma once
// One way in for remote commands (HTTP, text over TCP or UDP, OSC): it listens from its start
// until it is destroyed, and hands every command of an allowed sender to the sink.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "launcher/remote/CommandSink.h"
#include "launcher/remote/RefusalNotes.h"
#include "launcher/remote/RemoteSettings.h"

namespace remote {

// The launcher's language text of a number, or the number itself where there is none.
using TextLookup = std::function<std::wstring(const wchar_t* id)>;

// What every transport shares; it outlives them all.
struct RemoteContext {
    const RemoteSettings& settings;
    CommandSink& sink;
    RefusalNotes& refusals;
    std::wstring folder;  // the installation
    TextLookup text;      // the console's captions; may be empty
};

class Transport {
public:
    virtual ~Transport() = default;
};

// Each listens on its port of the settings; null, with why, when it cannot.
std::unique_ptr<Transport> StartHttpConsole(RemoteContext& context, std::wstring& problem);
std::unique_ptr<Transport> StartTextTcp(RemoteContext& context, std::wstring& problem);
std::unique_ptr<Transport> StartTextUdp(RemoteContext& context, std::wstring& problem);
std::unique_ptr<Transport> StartOsc(RemoteContext& context, std::wstring& problem);

}  // namespace remote
