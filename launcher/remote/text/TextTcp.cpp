// Text over TCP: one command per line, each answered with one line, and a STATUS line to
// every peer whenever what plays changes (what a control system shows as feedback). A
// bounded number of peers; one that sends no line for a minute, or does not end a line within
// a few seconds of its first byte, is let go so that it holds no slot.
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <exception>
#include <mutex>
#include <vector>

#include "framework/Handles.h"
#include "framework/UniqueSocket.h"
#include "launcher/remote/CommandGate.h"
#include "launcher/remote/text/TextLines.h"

namespace remote {

namespace {

const size_t kMostPeers = 16;
const DWORD kIdleMs = 60000;
const DWORD kLineWithinMs = 5000;
const DWORD kPushEveryMs = 250;  // how often what plays is looked at while peers are connected

class TextTcp;

// One connected peer, served by a thread of its own; the listening thread sends it the
// pushed status lines, under the same lock as the answers, so that lines never interleave.
struct Peer {
    TextTcp* server = nullptr;
    uint32_t address = 0;
    kit::UniqueSocket socket;  // closed under `sendLock`
    kit::UniqueHandle event;   // the socket's events; set by hand to wake the thread
    kit::UniqueHandle thread;
    std::mutex sendLock;
    std::atomic<bool> broken{false};  // a send failed: the peer does not read what it is sent
    std::atomic<bool> done{false};
};

// Sends all of `text`, or marks the peer broken. A peer that leaves its answers unread until
// the system's buffer is full is not waited for.
bool Send(Peer& peer, const std::string& text)
{
    std::lock_guard<std::mutex> hold(peer.sendLock);
    if (!peer.socket || peer.broken) return false;
    size_t sent = 0;
    while (sent < text.size()) {
        int n = send(peer.socket.Get(), text.data() + sent, static_cast<int>(text.size() - sent), 0);
        if (n <= 0) {
            peer.broken = true;
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

void Close(Peer& peer)
{
    std::lock_guard<std::mutex> hold(peer.sendLock);
    if (peer.socket) shutdown(peer.socket.Get(), SD_SEND);
    peer.socket.Reset();
}

// A peer that gets no slot hears why and is closed at once.
void TurnAway(SOCKET given, const char* line)
{
    kit::UniqueSocket peer(given);
    WSAEventSelect(peer.Get(), nullptr, 0);
    send(peer.Get(), line, static_cast<int>(strlen(line)), 0);
    shutdown(peer.Get(), SD_SEND);
    char discard[256];
    for (int i = 0; i < 4 && recv(peer.Get(), discard, sizeof(discard), 0) > 0; ++i) {
    }
}

class TextTcp : public Transport {
public:
    explicit TextTcp(RemoteContext& context)
        : gate_(context, L"tcp"), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          acceptable_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
    }

    ~TextTcp() override
    {
        if (thread_) {
            SetEvent(stop_.Get());
            WaitForSingleObject(thread_.Get(), INFINITE);
        }
    }

    bool Start(WORD port, std::wstring& problem)
    {
        if (!winsock_.Started() || !stop_ || !acceptable_) {
            problem = L"Winsock did not start";
            return false;
        }
        listener_.Reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        if (!listener_) {
            problem = SocketProblem(L"a socket", port, WSAGetLastError());
            return false;
        }
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        // As the library's point server: a launcher that comes back after a crash finds its
        // port free although the last one's connections still linger.
        BOOL reuse = TRUE;
        setsockopt(listener_.Get(), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof(reuse));
        if (bind(listener_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
            listen(listener_.Get(), SOMAXCONN) != 0 ||
            WSAEventSelect(listener_.Get(), acceptable_.Get(), FD_ACCEPT) != 0) {
            problem = SocketProblem(L"listening", port, WSAGetLastError());
            return false;
        }
        thread_.Reset(CreateThread(nullptr, 64 * 1024, ListenMain, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
        if (!thread_) {
            problem = L"no thread could be started";
            return false;
        }
        return true;
    }

private:
    static DWORD WINAPI PeerMain(void* given)
    {
        Peer& peer = *static_cast<Peer*>(given);
        try {
            peer.server->Serve(peer);
        } catch (const std::exception&) {
            // Memory ran low: this peer goes, the others stay.
        }
        Close(peer);
        peer.done = true;
        return 0;
    }

    static DWORD WINAPI ListenMain(void* self)
    {
        static_cast<TextTcp*>(self)->Listen();
        return 0;
    }

    void Listen()
    {
        HANDLE waits[] = {stop_.Get(), acceptable_.Get()};
        for (;;) {
            DWORD woke = WaitForMultipleObjects(2, waits, FALSE, peers_.empty() ? INFINITE : kPushEveryMs);
            if (woke != WAIT_OBJECT_0 + 1 && woke != WAIT_TIMEOUT) break;
            try {
                if (woke == WAIT_OBJECT_0 + 1) {
                    WSANETWORKEVENTS events;
                    WSAEnumNetworkEvents(listener_.Get(), acceptable_.Get(), &events);
                    AcceptAll();
                }
                Reap();
                if (!peers_.empty()) Push();
            } catch (const std::exception&) {
                // Memory ran low: what was not done is tried again at the next wake.
            }
        }
        for (auto& peer : peers_) WaitForSingleObject(peer->thread.Get(), INFINITE);
        peers_.clear();
    }

    void AcceptAll()
    {
        for (int taken = 0; taken < 64; ++taken) {
            sockaddr_in from = {};
            int size = sizeof(from);
            kit::UniqueSocket accepted(accept(listener_.Get(), reinterpret_cast<sockaddr*>(&from), &size));
            if (!accepted) return;
            uint32_t address = ntohl(from.sin_addr.s_addr);
            if (!gate_.Admits(address)) {
                TurnAway(accepted.Release(), "ERR not allowed\r\n");
                continue;
            }
            Reap();
            if (peers_.size() >= kMostPeers) {
                gate_.Note(address, L"turned away, " + std::to_wstring(kMostPeers) + L" peers are connected");
                TurnAway(accepted.Release(), "ERR busy\r\n");
                continue;
            }
            // A peer hears of changes from its connection on, not of the state it found.
            if (peers_.empty()) lastStatus_ = StatusLine(gate_.Status());
            std::unique_ptr<Peer> peer(new Peer);
            peer->server = this;
            peer->address = address;
            peer->event.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
            if (!peer->event || WSAEventSelect(accepted.Get(), peer->event.Get(), FD_READ | FD_CLOSE) != 0) {
                TurnAway(accepted.Release(), "ERR busy\r\n");
                continue;
            }
            peer->socket.Reset(accepted.Release());
            peer->thread.Reset(
                CreateThread(nullptr, 64 * 1024, PeerMain, peer.get(), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
            if (!peer->thread) continue;  // its socket closes with it
            peers_.push_back(std::move(peer));
        }
    }

    void Reap()
    {
        for (auto it = peers_.begin(); it != peers_.end();) {
            if (!(*it)->done) {
                ++it;
                continue;
            }
            WaitForSingleObject((*it)->thread.Get(), INFINITE);
            it = peers_.erase(it);
        }
    }

    void Push()
    {
        std::string line = StatusLine(gate_.Status());
        if (line == lastStatus_) return;
        lastStatus_ = line;
        for (auto& peer : peers_)
            if (!peer->done && !Send(*peer, line + "\r\n")) SetEvent(peer->event.Get());
    }

    void Serve(Peer& peer)
    {
        LineSplitter lines;
        std::vector<LineSplitter::Piece> pieces;
        ULONGLONG lastLine = GetTickCount64();
        HANDLE waits[] = {stop_.Get(), peer.event.Get()};
        char buffer[512];
        while (!peer.broken) {
            ULONGLONG now = GetTickCount64();
            ULONGLONG due = lastLine + kIdleMs;
            bool slow = lines.Pending() && lines.PendingSince() + kLineWithinMs <= due;
            if (slow) due = lines.PendingSince() + kLineWithinMs;
            if (now >= due) {
                if (slow) {
                    gate_.Note(peer.address, L"closed, a line was not ended within " +
                                                 std::to_wstring(kLineWithinMs / 1000) + L" s");
                    Send(peer, "ERR line not ended within " + std::to_string(kLineWithinMs / 1000) + " s\r\n");
                }
                return;
            }
            DWORD woke = WaitForMultipleObjects(2, waits, FALSE, static_cast<DWORD>(due - now));
            if (woke == WAIT_TIMEOUT) continue;
            if (woke != WAIT_OBJECT_0 + 1) return;
            WSANETWORKEVENTS events;
            WSAEnumNetworkEvents(peer.socket.Get(), peer.event.Get(), &events);
            for (int taken = 0; taken < 16; ++taken) {
                int got = recv(peer.socket.Get(), buffer, sizeof(buffer), 0);
                if (got == 0) return;
                if (got < 0) {
                    if (WSAGetLastError() != WSAEWOULDBLOCK) return;
                    break;
                }
                pieces.clear();
                lines.Feed(buffer, static_cast<size_t>(got), GetTickCount64(), pieces);
                for (const LineSplitter::Piece& piece : pieces) {
                    lastLine = GetTickCount64();
                    std::string answer = piece.tooLong ? "ERR line too long" : AnswerLine(gate_, piece.line, peer.address);
                    if (piece.tooLong)
                        gate_.Note(peer.address, L"a line longer than " + std::to_wstring(kMostLineBytes) + L" bytes");
                    if (!Send(peer, answer + "\r\n")) return;
                }
            }
        }
    }

    CommandGate gate_;
    WinsockUse winsock_;
    kit::UniqueSocket listener_;
    kit::UniqueHandle stop_;
    kit::UniqueHandle acceptable_;
    kit::UniqueHandle thread_;
    // The listening thread's alone.
    std::vector<std::unique_ptr<Peer>> peers_;
    std::string lastStatus_;
};

}  // namespace

std::unique_ptr<Transport> StartTextTcp(RemoteContext& context, std::wstring& problem)
{
    std::unique_ptr<TextTcp> transport(new TextTcp(context));
    if (!transport->Start(context.settings.tcp, problem)) return nullptr;
    return transport;
}

}  // namespace remote
