#pragma once
// Loopback peers for the socket load test and benchmark, and what they read of the
// server's process from outside: its threads, memory and processor time.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/Loopback.h"

namespace testing_support {

constexpr uint16_t kServerPort = 12332;

// Closes with a reset instead of an orderly close.
void Reset(SOCKET s);

// Idle peers that stay connected until destroyed.
class IdlePeers {
public:
    IdlePeers() = default;
    ~IdlePeers() { CloseAll(); }
    IdlePeers(const IdlePeers&) = delete;
    IdlePeers& operator=(const IdlePeers&) = delete;
    // Connects up to `count` more; returns how many connected.
    int Add(uint16_t port, int count);
    // How many of them the server has closed (checked without waiting).
    int ClosedByServer() const;
    void CloseOne();
    void CloseAll();
    size_t Size() const { return sockets_.size(); }

private:
    std::vector<SOCKET> sockets_;
};

struct FloodResult {
    double bytesPerSecond;  // bytes read by the server to the end, over the time until its last close
    uint64_t bytesDrained;
    double seconds;
    int peers;         // connected
    int peersDrained;  // whose every byte the server read within the limit
};
// `peers` peers send as fast as they can, each at most `bytesEach`, for at most
// `sendLimitMs`; then each waits at most `drainLimitMs` for the server to read the rest.
FloodResult Flood(uint16_t port, int peers, uint64_t bytesEach, DWORD sendLimitMs, DWORD drainLimitMs);

struct Memory {
    double usedMB;       // resident under Wine, private bytes on Windows
    double addressMB;    // virtual size
    const char* usedName;
};

// A process seen from outside: its threads, memory and processor time. Under Wine these
// come from the host's /proc (Wine does not report them across processes, and walking
// another process's memory there costs a round trip per region); elsewhere from Windows.
class ProcessProbe {
public:
    // `hostMatch`: part of the host command line that singles the process out among
    // those of this program's Wine prefix (e.g. the program's folder and name).
    ProcessProbe(HANDLE process, const std::string& hostMatch);
    int Threads() const;
    Memory MemoryNow() const;
    // -1 when unknown.
    double CpuSeconds() const;
    bool UnderWine() const { return !host_.empty(); }

private:
    HANDLE process_;
    std::string host_;  // Z:\proc\<pid>\ under Wine
};

// Waits until `condition` holds, pumping nothing; false after `timeoutMs`.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount(); !condition(); Sleep(20))
        if (GetTickCount() - start > timeoutMs) return false;
    return true;
}

}  // namespace testing_support
