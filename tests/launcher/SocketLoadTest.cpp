// The running launcher's point server under load, over loopback: a thousand idle peers
// that stay, filled up to its limit and beyond, then a hundred that flood it and a
// thousand connect-and-reset cycles. Prints what it held, drained and used before,
// during and after, and the processor time that the idle peers cost.
// Fails only when the launcher dies, stops answering or accepts no peer afterwards;
// figures are reported, never judged.
#include <cstdio>
#include <string>

#include "tests/support/PeerTraffic.h"
#include "tests/support/LauncherHarness.h"

using namespace e2e;
using namespace testing_support;

namespace {

constexpr int kIdlePeers = 1000;
constexpr int kFloodPeers = 100;
constexpr uint64_t kFloodBytesEach = 10u * 1024 * 1024;
constexpr DWORD kSendLimitMs = 2000;
constexpr DWORD kIdleMeasureMs = 2000;
constexpr DWORD kDrainLimitMs = 15000;
constexpr int kResetCycles = 1000;
// The launcher's peer limit, which the idle peers fill; peers beyond it must be turned away.
constexpr int kPeerLimit = kIdlePeers;

struct Sample {
    int threads;
    Memory memory;
};

Sample Measure(const ProcessProbe& launcher)
{
    return {launcher.Threads(), launcher.MemoryNow()};
}

void Print(const char* moment, const Sample& sample)
{
    printf("  %-32s threads %5d   %s %7.1f MB", moment, sample.threads, sample.memory.usedName,
           sample.memory.usedMB);
    if (sample.memory.addressMB > 0) printf("   virtual %7.1f MB", sample.memory.addressMB);
    printf("\n");
}

// Processor time of the launcher and of the Wine server (which serves every wait of
// the peers' threads) while the peers only stay connected.
void PrintIdleCpu(const ProcessProbe& launcher, int peers)
{
    ProcessProbe server(nullptr, "wineserver");
    double launcherBefore = launcher.CpuSeconds(), serverBefore = server.CpuSeconds();
    DWORD start = GetTickCount();
    Sleep(kIdleMeasureMs);
    double seconds = (GetTickCount() - start) / 1000.0;
    double launcherShare = 100.0 * (launcher.CpuSeconds() - launcherBefore) / seconds;
    printf("  processor time with %d idle peers: launcher %.1f %% of a core", peers, launcherShare);
    if (serverBefore >= 0) {
        double serverShare = 100.0 * (server.CpuSeconds() - serverBefore) / seconds;
        printf(", Wine server %.1f %%; %.3f %% of a core per idle peer\n", serverShare,
               (launcherShare + serverShare) / peers);
    } else {
        printf("; %.3f %% of a core per idle peer\n", launcherShare / peers);
    }
}

int Fail(const char* what)
{
    printf("FAILED: %s\n", what);
    fflush(stdout);
    return 1;
}

}  // namespace

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);  // figures reach the log even if the run is cut short
    Winsock winsock;
    DWORD began = GetTickCount();
    StagedInstall install(L"SocketLoadTest");
    install.WriteConfig("[config]\r\nauto=0\r\nDEVICETYPE=0\r\ncheck360 =0\r\n");
    std::wstring title = UseBarLanguage(install);
    SetEnvironmentVariableW(L"PAVORA_MESSAGEBOX_LOG", install.Path(L"messageboxes.log").c_str());
    RunningLauncher launcher(install, title);
    if (!launcher.Bar()) return Fail("the launcher showed no bar");
    ProcessProbe probe(launcher.Process(), "SocketLoadTest\\Pavora.exe");

    printf("Point server load (loopback, port %u):\n", kServerPort);
    Sample before = Measure(probe);
    Print("before", before);

    // A thousand idle peers, each with a thread of its own once accepted.
    IdlePeers idle;
    DWORD start = GetTickCount();
    int connected = idle.Add(kServerPort, kIdlePeers);
    WaitUntil([&] { return probe.Threads() >= before.threads + connected; }, 30000);
    Sample held = Measure(probe);
    printf("  %d idle peers connected, %d held after %.1f s\n", connected, held.threads - before.threads,
           (GetTickCount() - start) / 1000.0);
    Print("with idle peers", held);
    PrintIdleCpu(probe, connected);

    // The idle peers fill the launcher's limit: peers beyond it are closed at once, the others stay.
    IdlePeers beyond;
    beyond.Add(kServerPort, 3);
    WaitUntil([&] { return beyond.ClosedByServer() == static_cast<int>(beyond.Size()); }, 5000);
    printf("  at the limit of %d: %d of %d peers beyond it closed by the server; %d of the held ones closed\n",
           kPeerLimit, beyond.ClosedByServer(), static_cast<int>(beyond.Size()), idle.ClosedByServer());
    beyond.CloseAll();
    idle.CloseAll();
    WaitUntil([&] { return probe.Threads() <= before.threads; }, 10000);
    Print("after the idle peers left", Measure(probe));
    if (!launcher.Alive()) return Fail("the launcher ended under idle peers");

    // A hundred peers sending as fast as they can.
    FloodResult flood = Flood(kServerPort, kFloodPeers, kFloodBytesEach, kSendLimitMs, kDrainLimitMs);
    printf("  %d flooding peers (at most %.0f MB each, sending for at most %.0f s): %.1f MB drained in %.1f s,"
           " %.2f MB/s; %d of %d read to their end\n",
           flood.peers, kFloodBytesEach / (1024.0 * 1024.0), kSendLimitMs / 1000.0,
           flood.bytesDrained / (1024.0 * 1024.0), flood.seconds, flood.bytesPerSecond / (1024 * 1024),
           flood.peersDrained, flood.peers);
    if (!launcher.Alive()) return Fail("the launcher ended under the flood");

    // Peers that connect and reset at once.
    start = GetTickCount();
    int cycles = 0;
    for (; cycles < kResetCycles; ++cycles) {
        SOCKET s = ConnectLoopback(kServerPort);
        if (s == INVALID_SOCKET) break;
        Reset(s);
    }
    printf("  %d connect-and-reset cycles in %.1f s\n", cycles, (GetTickCount() - start) / 1000.0);
    if (!launcher.Alive()) return Fail("the launcher ended under connect-and-reset");

    // The launcher must come back to where it was and still serve.
    WaitUntil([&] { return probe.Threads() <= before.threads; }, 10000);
    Sample after = Measure(probe);
    Print("after every peer left", after);
    if (!launcher.Alive()) return Fail("the launcher ended");
    if (!launcher.Sync(10000)) return Fail("the launcher's window does not answer");

    SOCKET last = ConnectLoopback(kServerPort);
    if (last == INVALID_SOCKET) return Fail("no new peer connects afterwards");
    bool accepted = WaitUntil([&] { return probe.Threads() == after.threads + 1; }, 5000);
    bool kept = PeerSees(last, 300) == -1;
    closesocket(last);
    if (!accepted || !kept) return Fail("a new peer is not accepted afterwards");
    printf("  a new peer is accepted afterwards; the window answers; %.1f s in all\n",
           (GetTickCount() - began) / 1000.0);
    return 0;
}
