#pragma once
// Stream sockets on this machine's loopback address, for peers and stand-in servers.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>

namespace testing_support {

// Winsock started for the lifetime of the object.
class Winsock {
public:
    Winsock() { started_ = WSAStartup(MAKEWORD(2, 2), &data_) == 0; }
    ~Winsock()
    {
        if (started_) WSACleanup();
    }
    Winsock(const Winsock&) = delete;
    Winsock& operator=(const Winsock&) = delete;

private:
    WSADATA data_ = {};
    bool started_ = false;
};

// Connected to `port`; INVALID_SOCKET when nothing accepts.
SOCKET ConnectLoopback(uint16_t port);
// Listening on `port`, or with `port` 0 on one the system picks, written back to `port`;
// INVALID_SOCKET when the port cannot be had.
SOCKET ListenLoopback(uint16_t& port, int backlog);
// What a peer sees within `waitMs`: 1 data, 0 the server closed it, -1 nothing.
int PeerSees(SOCKET s, DWORD waitMs);

}  // namespace testing_support
