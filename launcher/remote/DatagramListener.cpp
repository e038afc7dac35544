#include "launcher/remote/DatagramListener.h"

#include <exception>

namespace remote {

namespace {
// Taken in one go before the stop is looked at again.
const int kMostPerWake = 256;
}  // namespace

DatagramListener::DatagramListener(size_t mostBytes, Handler handler)
    : mostBytes_(mostBytes), handler_(std::move(handler)), readable_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

DatagramListener::~DatagramListener()
{
    if (thread_) {
        SetEvent(stop_.Get());
        WaitForSingleObject(thread_.Get(), INFINITE);
    }
}

bool DatagramListener::Start(WORD port, std::wstring& problem)
{
    if (!winsock_.Started() || !readable_ || !stop_) {
        problem = L"Winsock did not start";
        return false;
    }
    socket_.Reset(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!socket_) {
        problem = SocketProblem(L"a socket", port, WSAGetLastError());
        return false;
    }
    // No address reuse: a second program on the port would take half the datagrams.
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(socket_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        WSAEventSelect(socket_.Get(), readable_.Get(), FD_READ) != 0) {
        problem = SocketProblem(L"listening", port, WSAGetLastError());
        return false;
    }
    thread_.Reset(CreateThread(nullptr, 64 * 1024, ThreadMain, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread_) {
        problem = L"no thread could be started";
        return false;
    }
    return true;
}

DWORD WINAPI DatagramListener::ThreadMain(void* self)
{
    static_cast<DatagramListener*>(self)->Serve();
    return 0;
}

void DatagramListener::Serve()
{
    HANDLE waits[] = {stop_.Get(), readable_.Get()};
    while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        WSANETWORKEVENTS events;
        WSAEnumNetworkEvents(socket_.Get(), readable_.Get(), &events);
        try {
            Drain();
        } catch (const std::exception&) {
            // A datagram that could not be answered (memory ran low) is dropped; the next is served.
        }
    }
}

void DatagramListener::Drain()
{
    std::string buffer(mostBytes_, '\0');
    for (int taken = 0; taken < kMostPerWake; ++taken) {
        sockaddr_in from = {};
        int fromSize = sizeof(from);
        int got = recvfrom(socket_.Get(), &buffer[0], static_cast<int>(buffer.size()), 0,
                           reinterpret_cast<sockaddr*>(&from), &fromSize);
        bool truncated = false;
        if (got < 0) {
            int error = WSAGetLastError();
            if (error == WSAEMSGSIZE) {
                truncated = true;
                got = static_cast<int>(buffer.size());
            } else if (error == WSAECONNRESET) {
                continue;  // an earlier answer found no one listening; not this datagram's fault
            } else {
                return;  // WSAEWOULDBLOCK: all taken
            }
        }
        if (from.sin_family != AF_INET) continue;
        Datagram datagram{buffer.data(), static_cast<size_t>(got), truncated, ntohl(from.sin_addr.s_addr)};
        for (const std::string& answer : handler_(datagram))
            sendto(socket_.Get(), answer.data(), static_cast<int>(answer.size()), 0,
                   reinterpret_cast<const sockaddr*>(&from), fromSize);
    }
}

}  // namespace remote
