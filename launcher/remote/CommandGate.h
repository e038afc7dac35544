#pragma once
// What every transport does between a sender and the bar: only addresses of the allow-list
// get through, each at most a few commands a second (CommandRate), each named for the log as
// "<transport> <address>"; the status is read again at most every 100 ms however often it is
// asked. Notes about a sender go to the log at most once a minute per address.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>

#include "launcher/remote/CommandRate.h"
#include "launcher/remote/RemoteCommands.h"
#include "launcher/remote/Transport.h"

namespace remote {

class CommandGate {
public:
    // `transport` as the log names it: L"tcp", L"udp", L"osc".
    CommandGate(RemoteContext& context, std::wstring transport);

    // False for an address outside the allow-list (host order); logged once a minute.
    bool Admits(uint32_t address);
    // Runs the command for `address`: "" when done, else why not, on one line (UTF-8).
    std::string Run(launcher::Request request, uint32_t address);
    RemoteStatus Status();
    // A note about this sender for the log, at most once a minute per address.
    void Note(uint32_t address, const std::wstring& what);
    // "tcp 192.168.10.5"
    std::wstring Sender(uint32_t address) const;
    CommandSink& Sink() { return context_.sink; }

private:
    RemoteContext& context_;
    const std::wstring transport_;
    CommandRate rate_;
    RefusalNotes notes_;
    std::mutex statusLock_;
    RemoteStatus status_;
    ULONGLONG statusAt_ = 0;
    bool statusFresh_ = false;
};

// Winsock for the lifetime of the object: each transport holds it for its own sockets.
class WinsockUse {
public:
    WinsockUse() { started_ = WSAStartup(MAKEWORD(2, 2), &data_) == 0; }
    ~WinsockUse()
    {
        if (started_) WSACleanup();
    }
    WinsockUse(const WinsockUse&) = delete;
    WinsockUse& operator=(const WinsockUse&) = delete;
    bool Started() const { return started_; }

private:
    WSADATA data_ = {};
    bool started_ = false;
};

// Why a socket call failed, for the log: "port 5000 is in use" and the like.
std::wstring SocketProblem(const wchar_t* what, WORD port, int error);

}  // namespace remote
