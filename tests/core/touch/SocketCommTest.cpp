// The point server on ports of the tests' own (the launcher of a whole-program test may
// hold the real one), with peers connected over loopback.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <string>
#include <vector>

#include "core/touch/SocketComm.h"
#include "tests/support/Loopback.h"

namespace {

using Sockets = testing_support::Winsock;

// A port that nothing listens on right now.
uint16_t FreePort()
{
    uint16_t port = 0;
    closesocket(testing_support::ListenLoopback(port, 1));
    return port;
}

using testing_support::ConnectLoopback;
using testing_support::PeerSees;

int ThreadsOfThisProcess()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount(); !condition(); Sleep(5))
        if (GetTickCount() - start > timeoutMs) return false;
    return true;
}

class CountingServer : public CSocketComm {
public:
    using CSocketComm::CSocketComm;
    void DeliverEvent(uint32_t code) override { ++(code == EventAccepted ? accepted : failed); }
    std::atomic<int> accepted{0};
    std::atomic<int> failed{0};
};

class SocketServer : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.StartSocketServer());
        ASSERT_TRUE(server.Listening());
    }
    void TearDown() override
    {
        for (SOCKET s : peers) closesocket(s);
    }
    SOCKET AddPeer()
    {
        SOCKET s = ConnectLoopback(port);
        if (s != INVALID_SOCKET) peers.push_back(s);
        return s;
    }

    Sockets sockets;  // first: the port is looked up with it
    uint16_t port = FreePort();
    CountingServer server{std::to_wstring(port)};
    std::vector<SOCKET> peers;
};

}  // namespace

TEST(SocketPort, DigitsServiceNamesAndNothing)
{
    Sockets sockets;
    EXPECT_EQ(CSocketComm::ResolvePort(L"12332"), 12332);
    EXPECT_EQ(CSocketComm::ResolvePort(L"8080 trailing"), 8080);
    EXPECT_EQ(CSocketComm::ResolvePort(L"65535"), 65535);
    EXPECT_EQ(CSocketComm::ResolvePort(L"http"), 80);
    EXPECT_EQ(CSocketComm::ResolvePort(L"0"), 0);
    EXPECT_EQ(CSocketComm::ResolvePort(L""), 0);
    EXPECT_EQ(CSocketComm::ResolvePort(L"no-such-service-here"), 0);
    // Not the low 16 bits of a larger number: 65536 + 80 would otherwise open port 80.
    EXPECT_EQ(CSocketComm::ResolvePort(L"65616"), 0);
}

TEST(SocketPort, AnUnknownServiceOpensNoListener)
{
    CSocketComm server(L"no-such-service-here");
    EXPECT_TRUE(server.StartSocketServer());
    EXPECT_FALSE(server.Listening());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(server.StartAcceptThread());
}

TEST(SocketPort, ATakenPortLeavesTheServerAbsentAndTheOwnerUntouched)
{
    Sockets sockets;
    uint16_t port = FreePort();
    SOCKET owner = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ASSERT_EQ(bind(owner, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(owner, SOMAXCONN), 0);

    CSocketComm server(std::to_wstring(port));
    EXPECT_TRUE(server.StartSocketServer());
    EXPECT_FALSE(server.Listening());
    SOCKET peer = ConnectLoopback(port);
    EXPECT_NE(peer, INVALID_SOCKET);
    server.StopServer();
    SOCKET accepted = accept(owner, nullptr, nullptr);
    EXPECT_NE(accepted, INVALID_SOCKET);
    closesocket(accepted);
    closesocket(peer);
    closesocket(owner);
}

TEST(SocketRead, ChunksTimeoutAndClose)
{
    Sockets sockets;
    uint16_t port = 0;
    SOCKET owner = testing_support::ListenLoopback(port, 1);
    ASSERT_NE(owner, INVALID_SOCKET);
    SOCKET writer = ConnectLoopback(port);
    SOCKET reader = accept(owner, nullptr, nullptr);
    ASSERT_NE(reader, INVALID_SOCKET);

    BYTE buffer[CSocketComm::kChunkSize + 16];
    memset(buffer, 0xCC, sizeof(buffer));
    DWORD start = GetTickCount();
    EXPECT_EQ(CSocketComm::ReadWithTimeout(buffer, reader), 0);
    DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 80u);
    EXPECT_LT(waited, 1000u);

    std::string sent(1000, 'x');
    ASSERT_EQ(send(writer, sent.data(), static_cast<int>(sent.size()), 0), 1000);
    int total = 0;
    while (total < 1000) {
        int count = CSocketComm::ReadWithTimeout(buffer, reader);
        ASSERT_GT(count, 0);
        ASSERT_LE(count, CSocketComm::kChunkSize);
        total += count;
    }
    EXPECT_EQ(total, 1000);
    for (size_t i = CSocketComm::kChunkSize; i < sizeof(buffer); ++i) ASSERT_EQ(buffer[i], 0xCC) << i;

    closesocket(writer);
    EXPECT_EQ(CSocketComm::ReadWithTimeout(buffer, reader), -1);
    closesocket(reader);
    closesocket(owner);
}

// A silent peer is held; one that talks is drained to its end and never answered.
TEST_F(SocketServer, HoldsSilentPeersAndDrainsTalkersWithoutReply)
{
    SOCKET silent = AddPeer(), talker = AddPeer();
    ASSERT_NE(silent, INVALID_SOCKET);
    ASSERT_NE(talker, INVALID_SOCKET);
    ASSERT_TRUE(WaitFor([&] { return server.PeerCount() == 2; }, 2000));

    std::string data(200000, 'p');
    for (size_t sent = 0; sent < data.size();) {
        int count = send(talker, data.data() + sent, static_cast<int>(data.size() - sent), 0);
        ASSERT_GT(count, 0);
        sent += static_cast<size_t>(count);
    }
    shutdown(talker, SD_SEND);
    // The server reached the end of everything sent, then closed its side without a byte.
    EXPECT_EQ(PeerSees(talker, 5000), 0);
    EXPECT_TRUE(WaitFor([&] { return server.PeerCount() == 1; }, 1000));
    EXPECT_EQ(PeerSees(silent, 300), -1);
    EXPECT_EQ(server.accepted.load(), 2);
    EXPECT_EQ(server.failed.load(), 0);
}

// A peer's thread sleeps between its peer's bursts, however long the silence: each burst
// and the close after them must wake it again (a lost wake leaves the peer held for ever).
TEST_F(SocketServer, BurstsAfterSilencesAreEachDrained)
{
    SOCKET talker = AddPeer();
    ASSERT_NE(talker, INVALID_SOCKET);
    ASSERT_TRUE(WaitFor([&] { return server.ClientThreadCount() == 1; }, 2000));
    std::string burst(40000, 'b');
    for (int i = 0; i < 4; ++i) {
        Sleep(250);
        int sent = 0;
        while (sent < static_cast<int>(burst.size())) {
            int count = send(talker, burst.data() + sent, static_cast<int>(burst.size()) - sent, 0);
            ASSERT_GT(count, 0) << i;
            sent += count;
        }
    }
    Sleep(250);
    shutdown(talker, SD_SEND);
    EXPECT_EQ(PeerSees(talker, 3000), 0);
    EXPECT_TRUE(WaitFor([&] { return server.PeerCount() == 0 && server.ClientThreadCount() == 0; }, 1000));
}

TEST_F(SocketServer, AClosedPeerLeavesTheListWithinOneReadWait)
{
    for (int i = 0; i < 3; ++i) ASSERT_NE(AddPeer(), INVALID_SOCKET);
    ASSERT_TRUE(WaitFor([&] { return server.PeerCount() == 3; }, 2000));
    closesocket(peers[1]);
    peers.erase(peers.begin() + 1);
    DWORD start = GetTickCount();
    ASSERT_TRUE(WaitFor([&] { return server.PeerCount() == 2; }, 2000));
    EXPECT_LT(GetTickCount() - start, 250u);
    EXPECT_TRUE(WaitFor([&] { return server.ClientThreadCount() == 2; }, 1000));
}

TEST_F(SocketServer, StopWithPeersEndsEveryThreadPromptly)
{
    int before = ThreadsOfThisProcess();
    for (int i = 0; i < 20; ++i) ASSERT_NE(AddPeer(), INVALID_SOCKET);
    ASSERT_TRUE(WaitFor([&] { return server.ClientThreadCount() == 20; }, 3000));
    EXPECT_GE(ThreadsOfThisProcess(), before + 20);
    send(peers[0], "busy", 4, 0);

    DWORD start = GetTickCount();
    server.StopServer();
    DWORD took = GetTickCount() - start;
    // 50 ms after closing the listener, then at most one read wait of the peers' threads.
    EXPECT_LT(took, 400u);
    EXPECT_EQ(server.ClientThreadCount(), 0);
    EXPECT_FALSE(server.Listening());
    EXPECT_EQ(server.PeerCount(), 0u);
    EXPECT_TRUE(WaitFor([&] { return ThreadsOfThisProcess() <= before; }, 2000))
        << ThreadsOfThisProcess() << " threads, " << before << " before";
    for (SOCKET s : peers) EXPECT_EQ(PeerSees(s, 1000), 0);
    EXPECT_EQ(ConnectLoopback(port), INVALID_SOCKET);
}

// Each peer of a burst is read to its end exactly once: its own thread reaches its
// close and answers it, and the accept count matches the peers.
TEST_F(SocketServer, EveryPeerOfABurstIsServedOnce)
{
    constexpr int kPeers = 150;
    for (int i = 0; i < kPeers; ++i) {
        SOCKET s = AddPeer();
        ASSERT_NE(s, INVALID_SOCKET) << i;
        std::string message(static_cast<size_t>(1 + i * 7), static_cast<char>('a' + i % 26));
        send(s, message.data(), static_cast<int>(message.size()), 0);
        shutdown(s, SD_SEND);
    }
    for (SOCKET s : peers) EXPECT_EQ(PeerSees(s, 5000), 0);
    EXPECT_TRUE(WaitFor([&] { return server.PeerCount() == 0 && server.ClientThreadCount() == 0; }, 3000));
    EXPECT_EQ(server.accepted.load(), kPeers);
}

// Beyond the limit a peer is closed at once; the listener goes on, and a place that
// frees up is taken by the next peer.
TEST(SocketLimit, PeersBeyondTheLimitAreTurnedAwayAndTheListenerGoesOn)
{
    Sockets sockets;
    uint16_t port = FreePort();
    CountingServer server(std::to_wstring(port), 4);
    ASSERT_TRUE(server.StartSocketServer());
    std::vector<SOCKET> held;
    for (int i = 0; i < 4; ++i) held.push_back(ConnectLoopback(port));
    ASSERT_TRUE(WaitFor([&] { return server.PeerCount() == 4; }, 2000));
    for (int i = 0; i < 3; ++i) {
        SOCKET extra = ConnectLoopback(port);
        ASSERT_NE(extra, INVALID_SOCKET);
        EXPECT_EQ(PeerSees(extra, 2000), 0) << i;
        closesocket(extra);
    }
    EXPECT_EQ(server.PeerCount(), 4u);
    EXPECT_EQ(server.accepted.load(), 4);
    for (SOCKET s : held) EXPECT_EQ(PeerSees(s, 0), -1);

    closesocket(held[0]);
    ASSERT_TRUE(WaitFor([&] { return server.PeerCount() == 3; }, 2000));
    held[0] = ConnectLoopback(port);
    ASSERT_TRUE(WaitFor([&] { return server.accepted.load() == 5; }, 2000));
    EXPECT_EQ(PeerSees(held[0], 300), -1);
    EXPECT_EQ(server.PeerCount(), 4u);
    EXPECT_TRUE(server.Listening());
    for (SOCKET s : held) closesocket(s);
}
