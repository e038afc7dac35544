#include "launcher/health/HeartbeatListener.h"

#include <ws2tcpip.h>

#include <cstring>

#include <osc/OscReceivedElements.h>

namespace health {

bool IsBeat(const char* data, size_t size)
{
    if (!data || size == 0 || size > kMostBeatBytes) return false;
    // The plain word, as a shell one-liner sends it (with or without a line end).
    size_t word = size;
    while (word > 0 && (data[word - 1] == '\n' || data[word - 1] == '\r')) --word;
    if (word == 4 && std::memcmp(data, "beat", 4) == 0) return true;
    if (data[0] != '/' || size % 4 != 0) return false;
    try {
        osc::ReceivedPacket packet(data, static_cast<osc::osc_bundle_element_size_t>(size));
        if (!packet.IsMessage()) return false;
        osc::ReceivedMessage message(packet);
        return std::strcmp(message.AddressPattern(), "/pavora/beat") == 0;
    } catch (const osc::Exception&) {
        return false;
    }
}

HeartbeatListener::HeartbeatListener(std::function<void(const std::wstring&)> note)
    : note_(std::move(note)), readable_(WSACreateEvent()), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

HeartbeatListener::~HeartbeatListener()
{
    if (thread_) {
        SetEvent(stop_.Get());
        WaitForSingleObject(thread_.Get(), INFINITE);
    }
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    if (winsock_) WSACleanup();
}

bool HeartbeatListener::Start(WORD port, std::wstring& problem)
{
    port_ = port;
    WSADATA data;
    winsock_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    if (!winsock_) {
        problem = L"no network stack";
        return false;
    }
    socket_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket_ == INVALID_SOCKET ||
        bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == SOCKET_ERROR ||
        WSAEventSelect(socket_, readable_.Get(), FD_READ) == SOCKET_ERROR) {
        problem = L"port " + std::to_wstring(port) + L" cannot be taken (error " + std::to_wstring(WSAGetLastError()) +
                  L")";
        return false;
    }
    thread_.Reset(CreateThread(nullptr, 64 * 1024, ThreadMain, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    return thread_.Valid();
}

DWORD WINAPI HeartbeatListener::ThreadMain(void* self)
{
    static_cast<HeartbeatListener*>(self)->Serve();
    return 0;
}

void HeartbeatListener::Serve()
{
    HANDLE events[] = {stop_.Get(), readable_.Get()};
    char buffer[kMostBeatBytes + 1];
    while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        WSAResetEvent(readable_.Get());
        for (;;) {
            int got = recv(socket_, buffer, sizeof(buffer), 0);
            // A longer datagram comes cut (WSAEMSGSIZE): no beat.
            if (got == SOCKET_ERROR && WSAGetLastError() == WSAEMSGSIZE) {
                Ignored(-1);
                continue;
            }
            if (got < 0) break;
            if (IsBeat(buffer, static_cast<size_t>(got))) lastBeat_.store(GetTickCount64());
            else Ignored(got);
        }
    }
}

void HeartbeatListener::Ignored(int size)
{
    ++ignored_;
    ULONGLONG now = GetTickCount64();
    if (ignoredToldAt_ != 0 && now - ignoredToldAt_ < 60000) return;
    ignoredToldAt_ = now;
    if (note_)
        note_(L"heartbeat port " + std::to_wstring(port_) + L": " + std::to_wstring(ignored_) +
              L" datagram(s) that were no beat ignored, the last " +
              (size < 0 ? L"over " + std::to_wstring(kMostBeatBytes) : std::to_wstring(size)) +
              L" bytes (told at most once a minute)");
    ignored_ = 0;
}

}  // namespace health
