// How fast the running launcher's point server drains peers, against a bare Winsock sink
// with the same 260-byte reads, both flooded by the same peers in turns of one run.
// (What idle peers cost is measured by the load test, which holds a thousand of them.)
// Prints the figures (the goal is a ratio of at least 0.90); fails only when a server
// cannot be reached.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/PeerTraffic.h"
#include "tests/support/LauncherHarness.h"

using namespace e2e;
using namespace testing_support;

namespace {

constexpr int kRounds = 3;
constexpr int kFloodPeers = 4;
constexpr uint64_t kFloodBytesEach = 1024 * 1024;
constexpr DWORD kSendLimitMs = 5000;
constexpr DWORD kDrainLimitMs = 10000;
constexpr uint16_t kSinkPort = 12342;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

HANDLE StartSink(StagedInstall& install)
{
    std::wstring command = L"\"" + install.Path(L"SocketSink.exe") + L"\" " + std::to_wstring(kSinkPort) + L" 60";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, install.Folder().c_str(),
                        &startup, &info))
        return nullptr;
    CloseHandle(info.hThread);
    return info.hProcess;
}

}  // namespace

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);  // figures reach the log even if the run is cut short
    Winsock winsock;
    StagedInstall install(L"SocketBenchmark");
    install.WriteConfig("[config]\r\nauto=0\r\nDEVICETYPE=0\r\ncheck360 =0\r\n");
    std::wstring title = UseBarLanguage(install);
    install.CopyProgram(L"SocketSink.exe", L"SocketSink.exe");
    SetEnvironmentVariableW(L"PAVORA_MESSAGEBOX_LOG", install.Path(L"messageboxes.log").c_str());
    RunningLauncher launcher(install, title);
    if (!launcher.Bar()) {
        printf("no launcher bar\n");
        return 1;
    }
    HANDLE sink = StartSink(install);
    SOCKET probe = INVALID_SOCKET;
    WaitUntil([&] { return (probe = ConnectLoopback(kSinkPort)) != INVALID_SOCKET; }, 10000);
    if (!sink || probe == INVALID_SOCKET) {
        printf("the sink does not listen\n");
        return 1;
    }
    closesocket(probe);

    DWORD began = GetTickCount();
    std::vector<double> serverRates, sinkRates;
    for (int round = 0; round < kRounds; ++round) {
        FloodResult server = Flood(kServerPort, kFloodPeers, kFloodBytesEach, kSendLimitMs, kDrainLimitMs);
        FloodResult bare = Flood(kSinkPort, kFloodPeers, kFloodBytesEach, kSendLimitMs, kDrainLimitMs);
        if (server.peersDrained != kFloodPeers || bare.peersDrained != kFloodPeers) {
            printf("peers not drained: %d of %d by the launcher, %d of %d by the sink\n", server.peersDrained,
                   kFloodPeers, bare.peersDrained, kFloodPeers);
            return 1;
        }
        serverRates.push_back(server.bytesPerSecond / (1024 * 1024));
        sinkRates.push_back(bare.bytesPerSecond / (1024 * 1024));
    }
    double serverRate = Median(serverRates), sinkRate = Median(sinkRates);
    printf("Point server drain rate, %d peers sending %.0f MB each, median of %d turns:\n", kFloodPeers,
           kFloodBytesEach / (1024.0 * 1024.0), kRounds);
    printf("  Pavora.exe (port %u)     %8.1f MB/s\n", kServerPort, serverRate);
    printf("  SocketSink.exe (port %u) %8.1f MB/s\n", kSinkPort, sinkRate);
    printf("  ratio                      %8.2f   (goal >= 0.90)\n", sinkRate > 0 ? serverRate / sinkRate : 0.0);

    printf("  (%.1f s in all)\n", (GetTickCount() - began) / 1000.0);
    TerminateProcess(sink, 0);
    WaitForSingleObject(sink, 5000);
    CloseHandle(sink);
    return 0;
}
