#pragma once
// The launcher's remote control as a control system, a show-control desk and a flood would
// speak to it on 127.0.0.1: lines over TCP, datagrams over UDP, OSC packets made and read
// with oscpack; and a staged launcher with two stand-in effects and section [remote] as given.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "tests/support/SupervisedInstall.h"

namespace testing_support {

class RemotePeer {
public:
    RemotePeer(int type, uint16_t port);  // SOCK_STREAM or SOCK_DGRAM
    ~RemotePeer();
    RemotePeer(const RemotePeer&) = delete;
    RemotePeer& operator=(const RemotePeer&) = delete;

    bool Send(const std::string& bytes);
    // One datagram, or what the stream held, within `waitMs`; "" for none.
    std::string Receive(DWORD waitMs);
    // The next line without its end; unless `pushed`, status lines pushed unasked are skipped.
    bool ReadLine(std::string& line, DWORD waitMs, bool pushed = false);
    // The answer to `text`: over TCP a line ("" for none within 10 s; to "STATUS?" a pushed
    // line may answer), over UDP the datagram back.
    std::string Ask(const std::string& text);
    bool Closed(DWORD waitMs);  // by the server, within `waitMs`; unread lines skipped

private:
    int type_;
    SOCKET socket_;
    std::string pending_;
    bool closed_ = false;
};

// An OSC message, with one int32 when `number` is given; a reply as "<address> <arguments…>"
// (strings and int32s), "" for a packet that is not one message.
std::string OscMessage(const char* address, const int* number = nullptr);
std::string OscReplyText(const std::string& packet);

// Effects A and B in the rotation, `remote` the body of section [remote] of Bin\config.ini.
std::unique_ptr<e2e::SupervisedInstall> RemoteInstall(const std::wstring& name, const std::string& remote);

}  // namespace testing_support
