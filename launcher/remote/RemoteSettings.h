#pragma once
// Section [remote] of Bin\config.ini: the ports of the remote control's transports (0 = off,
// every one off by default), the console's password and the addresses that may send commands.
#include <windows.h>

#include <string>
#include <vector>

#include "launcher/remote/AllowList.h"

namespace remote {

struct RemoteSettings {
    WORD http = 0;
    WORD tcp = 0;
    WORD udp = 0;
    WORD osc = 0;
    std::string password;  // UTF-8; empty: no HTTP server
    AllowList allow;       // default 127.0.0.1
    // What was held at a sensible value or ignored, for the log.
    std::vector<std::wstring> notes;

    bool AnyOn() const { return http || tcp || udp || osc; }
    static RemoteSettings Read(const wchar_t* file);
};

}  // namespace remote
