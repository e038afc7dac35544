#include "launcher/remote/http/PeerSlots.h"

#include <algorithm>

namespace remote {

namespace {

// After the last answer, what the peer still sends is read and dropped for a moment, so that
// closing does not reset the connection before it read the answer.
const ULONGLONG kLingerMs = 2000;
const int kMostLingerBytes = 256 * 1024;

const char kBusyAnswer[] =
    "HTTP/1.1 503 Service Unavailable\r\nContent-Type: application/json\r\nRetry-After: 5\r\n"
    "Connection: close\r\nContent-Length: 52\r\n\r\n{\"ok\": false, \"error\": \"too many peers; try again\"}";

}  // namespace

Peer::Peer(SOCKET socket, const sockaddr_in& from, HANDLE stopping, std::mutex& slotsLock)
    : socket_(socket), address_(ntohl(from.sin_addr.s_addr)), port_(ntohs(from.sin_port)),
      network_(WSACreateEvent()), ended_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), stopping_(stopping),
      slotsLock_(slotsLock)
{
    // The answers are small and a control system waits for each: no delay for coalescing.
    BOOL noDelay = TRUE;
    setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));
    usable_ = network_ && ended_ &&
              WSAEventSelect(socket_, network_.Get(), FD_READ | FD_WRITE | FD_CLOSE) == 0;
}

Peer::~Peer()
{
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
}

bool Peer::Wait(long events, ULONGLONG deadline) const
{
    HANDLE ends[] = {ended_.Get(), stopping_};
    if (WaitForMultipleObjects(2, ends, FALSE, 0) != WAIT_TIMEOUT) return false;
    HANDLE waits[] = {network_.Get(), ended_.Get(), stopping_};
    for (;;) {
        ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 0x7FFFFFFF));
        if (WaitForMultipleObjects(3, waits, FALSE, wait) != WAIT_OBJECT_0) return false;
        WSANETWORKEVENTS happened{};
        if (WSAEnumNetworkEvents(socket_, network_.Get(), &happened) != 0) return false;
        if (happened.lNetworkEvents & (events | FD_CLOSE)) return true;
    }
}

bool Peer::SetIdle(bool idle)
{
    std::lock_guard<std::mutex> hold(slotsLock_);
    if (endedFlag_) return false;
    idle_ = idle;
    if (idle) idleSince_ = GetTickCount64();
    return true;
}

PeerSlots::PeerSlots(SOCKET listening, size_t most, Serve serve, Refused refused)
    : listening_(listening), most_(most), serve_(std::move(serve)), refused_(std::move(refused)),
      stopping_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), acceptable_(WSACreateEvent())
{
    if (stopping_ && acceptable_ && WSAEventSelect(listening_, acceptable_.Get(), FD_ACCEPT) == 0)
        accepting_ = std::thread(&PeerSlots::Accept, this);
}

PeerSlots::~PeerSlots()
{
    SetEvent(stopping_.Get());
    if (accepting_.joinable()) accepting_.join();
    closesocket(listening_);
    std::vector<std::unique_ptr<Slot>> slots;
    {
        std::lock_guard<std::mutex> hold(lock_);
        slots.swap(slots_);
    }
    for (auto& slot : slots)
        if (slot->thread.joinable()) slot->thread.join();
}

void PeerSlots::Accept()
{
    HANDLE waits[] = {stopping_.Get(), acceptable_.Get()};
    while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        WSANETWORKEVENTS happened{};
        WSAEnumNetworkEvents(listening_, acceptable_.Get(), &happened);
        for (;;) {
            sockaddr_in from{};
            int size = sizeof(from);
            SOCKET socket = accept(listening_, reinterpret_cast<sockaddr*>(&from), &size);
            if (socket != INVALID_SOCKET) {
                Admit(socket, from);
                continue;
            }
            // Out of buffers or handles: the next event comes at once, so wait a little.
            if (WSAGetLastError() != WSAEWOULDBLOCK) Sleep(10);
            break;
        }
    }
}

void PeerSlots::Admit(SOCKET socket, const sockaddr_in& from)
{
    if (!MakeRoom()) {
        // The accepted socket does not block (it inherits the listening socket's events).
        send(socket, kBusyAnswer, sizeof(kBusyAnswer) - 1, 0);
        closesocket(socket);
        if (refused_) refused_(ntohl(from.sin_addr.s_addr));
        return;
    }
    auto slot = std::make_unique<Slot>();
    slot->peer = std::make_unique<Peer>(socket, from, stopping_.Get(), lock_);
    if (!slot->peer->Usable()) return;
    Slot& started = *slot;
    {
        std::lock_guard<std::mutex> hold(lock_);
        slots_.push_back(std::move(slot));
    }
    // Only this thread reaps slots, so the thread is set before anyone joins it.
    started.thread = std::thread(&PeerSlots::Run, this, std::ref(started));
}

bool PeerSlots::MakeRoom()
{
    std::vector<std::thread> finished;
    Slot* idlest = nullptr;
    bool room = false;
    {
        std::lock_guard<std::mutex> hold(lock_);
        for (auto it = slots_.begin(); it != slots_.end();) {
            if (!(*it)->done) {
                ++it;
                continue;
            }
            finished.push_back(std::move((*it)->thread));
            it = slots_.erase(it);
        }
        room = slots_.size() < most_;
        if (!room) {
            for (auto& slot : slots_) {
                Peer& peer = *slot->peer;
                if (peer.idle_ && !peer.endedFlag_ && (!idlest || peer.idleSince_ < idlest->peer->idleSince_))
                    idlest = slot.get();
            }
            if (idlest) {
                idlest->peer->endedFlag_ = true;
                SetEvent(idlest->peer->ended_.Get());
            }
        }
    }
    for (std::thread& thread : finished) thread.join();
    if (room) return true;
    if (!idlest) return false;
    // It was only waiting for its next request: it ends at once.
    idlest->thread.join();
    std::lock_guard<std::mutex> hold(lock_);
    slots_.erase(std::find_if(slots_.begin(), slots_.end(), [idlest](const auto& slot) { return slot.get() == idlest; }));
    return true;
}

void PeerSlots::Run(Slot& slot)
{
    Peer& peer = *slot.peer;
    try {
        serve_(peer);
    } catch (...) {
        // Out of memory in the middle of a request: this peer ends, the others go on.
    }
    shutdown(peer.socket_, SD_SEND);
    ULONGLONG until = GetTickCount64() + kLingerMs;
    char dropped[4096];
    for (int total = 0; total < kMostLingerBytes;) {
        int got = recv(peer.socket_, dropped, sizeof(dropped), 0);
        if (got > 0) total += got;
        else if (got == 0 || WSAGetLastError() != WSAEWOULDBLOCK || !peer.Wait(FD_READ, until)) break;
    }
    closesocket(peer.socket_);
    std::lock_guard<std::mutex> hold(lock_);
    peer.socket_ = INVALID_SOCKET;
    slot.done = true;
}

}  // namespace remote
