#pragma once
// A socket closed by whoever holds it last, so that no early return of a setup leaks one.
#include <winsock2.h>

namespace kit {

class UniqueSocket {
public:
    UniqueSocket() = default;
    explicit UniqueSocket(SOCKET s) : socket_(s) {}
    ~UniqueSocket() { Reset(); }
    UniqueSocket(const UniqueSocket&) = delete;
    UniqueSocket& operator=(const UniqueSocket&) = delete;

    SOCKET Get() const { return socket_; }
    explicit operator bool() const { return socket_ != INVALID_SOCKET; }
    SOCKET Release()
    {
        SOCKET s = socket_;
        socket_ = INVALID_SOCKET;
        return s;
    }
    void Reset(SOCKET s = INVALID_SOCKET)
    {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
        socket_ = s;
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
};

}  // namespace kit
