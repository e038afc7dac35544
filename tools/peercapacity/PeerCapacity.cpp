// How many peers the point server can hold in one process of this build: connects idle
// peers over loopback to a server without a peer limit until it stops giving them threads.
// The peers live in a second process (this program started again with "peers"), so that
// the server's process holds only what the launcher's would.
#include <winsock2.h>
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/touch/SocketComm.h"
#include "tests/support/Loopback.h"

namespace {

constexpr int kMostPeers = 4000;

using testing_support::ConnectLoopback;

int RunPeers(uint16_t port)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    std::vector<SOCKET> peers;
    for (int i = 0; i < kMostPeers; ++i) {
        SOCKET s = ConnectLoopback(port);
        if (s == INVALID_SOCKET) break;
        peers.push_back(s);
    }
    Sleep(INFINITE);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    uint16_t port = argc > 2 ? static_cast<uint16_t>(atoi(argv[2])) : 12399;
    if (argc > 1 && std::string(argv[1]) == "peers") return RunPeers(port);

    CSocketComm server(std::to_wstring(port), SIZE_MAX);
    if (!server.StartSocketServer() || !server.Listening()) {
        printf("no listener on port %u\n", port);
        return 1;
    }
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = "\"" + std::string(self) + "\" peers " + std::to_string(port);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION peers = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &peers)) return 1;

    // Growth stops when thread creation fails (the server then turns each peer away).
    long held = 0, stillFor = 0;
    while (stillFor < 30) {
        Sleep(100);
        long now = server.ClientThreadCount();
        stillFor = now == held ? stillFor + 1 : 0;
        held = now;
        if (stillFor == 0) {
            printf("  %ld\n", held);
            fflush(stdout);
        }
    }
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    printf("peers held: %ld (of %d offered), private bytes %lu KB\n", held, kMostPeers,
           static_cast<unsigned long>(memory.PrivateUsage / 1024));
    TerminateProcess(peers.hProcess, 0);
    CloseHandle(peers.hProcess);
    CloseHandle(peers.hThread);
    server.StopServer();
    return 0;
}
