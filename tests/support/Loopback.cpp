#include "tests/support/Loopback.h"

namespace testing_support {
namespace {

sockaddr_in LoopbackAddress(uint16_t port)
{
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

}  // namespace

SOCKET ConnectLoopback(uint16_t port)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return s;
    sockaddr_in address = LoopbackAddress(port);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) return s;
    closesocket(s);
    return INVALID_SOCKET;
}

SOCKET ListenLoopback(uint16_t& port, int backlog)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return s;
    sockaddr_in address = LoopbackAddress(port);
    int size = sizeof(address);
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0 || listen(s, backlog) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    port = ntohs(address.sin_port);
    return s;
}

int PeerSees(SOCKET s, DWORD waitMs)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval wait = {static_cast<long>(waitMs / 1000), static_cast<long>(waitMs % 1000) * 1000};
    if (select(0, &readable, nullptr, nullptr, &wait) <= 0) return -1;
    char byte;
    return recv(s, &byte, 1, 0) > 0 ? 1 : 0;
}

}  // namespace testing_support
