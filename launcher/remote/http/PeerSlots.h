#pragma once
// The console's peers: at most a fixed number at once, each served on a thread of its own.
// When all are taken, the peer that has waited longest between two requests is ended to make
// room (a browser keeps idle connections open); when none waits, the newcomer is refused at
// once. Every wait of a peer ends when the slots are destroyed, so that the launcher ends
// promptly whatever its peers do.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "framework/Handles.h"

namespace remote {

class Peer {
public:
    Peer(SOCKET socket, const sockaddr_in& from, HANDLE stopping, std::mutex& slotsLock);
    ~Peer();
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    SOCKET Socket() const { return socket_; }
    uint32_t Address() const { return address_; }  // host byte order
    uint16_t Port() const { return port_; }
    bool Usable() const { return usable_; }

    // Until `events` (FD_READ, FD_WRITE) may go on or the peer closed (true; the next call
    // tells which), or until `deadline` (a 64-bit tick), the peer's end or the slots' (false).
    // The socket does not block: try the call first, wait when it would block.
    bool Wait(long events, ULONGLONG deadline) const;
    // Between two requests the peer may be ended to make room; false once it was.
    bool SetIdle(bool idle);

private:
    friend class PeerSlots;

    SOCKET socket_;
    uint32_t address_;
    uint16_t port_;
    bool usable_;
    kit::UniqueHandle network_;  // its socket's events
    kit::UniqueHandle ended_;    // set to make room for another
    HANDLE stopping_;
    std::mutex& slotsLock_;
    bool idle_ = false;
    bool endedFlag_ = false;
    ULONGLONG idleSince_ = 0;
};

class PeerSlots {
public:
    using Serve = std::function<void(Peer&)>;
    using Refused = std::function<void(uint32_t address)>;

    // Takes `listening` (bound, listening) and accepts on a thread of its own until destroyed;
    // `refused` hears of a peer turned away because every slot was busy.
    PeerSlots(SOCKET listening, size_t most, Serve serve, Refused refused);
    ~PeerSlots();
    PeerSlots(const PeerSlots&) = delete;
    PeerSlots& operator=(const PeerSlots&) = delete;

    bool Listening() const { return accepting_.joinable(); }

private:
    struct Slot {
        std::unique_ptr<Peer> peer;
        std::thread thread;
        bool done = false;
    };

    void Accept();
    void Admit(SOCKET socket, const sockaddr_in& from);
    // Joins the threads of the peers that ended; when every slot is still taken, ends the peer
    // idle longest. False when no slot could be freed.
    bool MakeRoom();
    void Run(Slot& slot);

    SOCKET listening_;
    size_t most_;
    Serve serve_;
    Refused refused_;
    kit::UniqueHandle stopping_;
    kit::UniqueHandle acceptable_;
    std::mutex lock_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::thread accepting_;
};

}  // namespace remote
