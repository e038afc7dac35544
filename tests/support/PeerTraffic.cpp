#include "tests/support/PeerTraffic.h"

#include <process.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <cstring>

namespace testing_support {

void Reset(SOCKET s)
{
    linger abort = {1, 0};
    setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof(abort));
    closesocket(s);
}

int IdlePeers::Add(uint16_t port, int count)
{
    int added = 0;
    for (; added < count; ++added) {
        SOCKET s = ConnectLoopback(port);
        if (s == INVALID_SOCKET) break;
        sockets_.push_back(s);
    }
    return added;
}

int IdlePeers::ClosedByServer() const
{
    int closed = 0;
    for (SOCKET s : sockets_) closed += PeerSees(s, 0) == 0;
    return closed;
}

void IdlePeers::CloseOne()
{
    if (sockets_.empty()) return;
    closesocket(sockets_.back());
    sockets_.pop_back();
}

void IdlePeers::CloseAll()
{
    for (SOCKET s : sockets_) closesocket(s);
    sockets_.clear();
}

namespace {

struct FloodState {
    uint16_t port;
    uint64_t bytesEach;
    DWORD drainLimitMs;
    LARGE_INTEGER start;
    std::atomic<bool> stop{false};
    std::atomic<int> connected{0};
    std::atomic<int> sending{0};  // peers done with sending
    std::atomic<int> drained{0};
    std::atomic<uint64_t> drainedBytes{0};
    std::atomic<long long> lastDrained{0};
};

long long Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// Sends, then closes its sending side and waits for the server to close in turn: the
// server reaches the end of the stream only once it has read every byte before it.
unsigned __stdcall FloodPeer(void* given)
{
    FloodState& state = *static_cast<FloodState*>(given);
    SOCKET s = ConnectLoopback(state.port);
    if (s == INVALID_SOCKET) {
        ++state.sending;
        return 1;
    }
    ++state.connected;
    // A small send buffer keeps what is still in flight when the time is up small.
    int buffer = 32 * 1024;
    setsockopt(s, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&buffer), sizeof(buffer));
    static const char chunk[16 * 1024] = {};
    uint64_t mine = 0;
    while (mine < state.bytesEach && !state.stop.load()) {
        int count = send(s, chunk, static_cast<int>(sizeof(chunk)), 0);
        if (count <= 0) break;
        mine += static_cast<uint64_t>(count);
    }
    ++state.sending;
    shutdown(s, SD_SEND);
    if (PeerSees(s, state.drainLimitMs) == 0) {
        long long now = Now();
        state.drainedBytes += mine;
        ++state.drained;
        for (long long last = state.lastDrained.load(); now > last && !state.lastDrained.compare_exchange_weak(last, now);) {
        }
    }
    closesocket(s);
    return 0;
}

}  // namespace

FloodResult Flood(uint16_t port, int peers, uint64_t bytesEach, DWORD sendLimitMs, DWORD drainLimitMs)
{
    FloodState state;
    state.port = port;
    state.bytesEach = bytesEach;
    state.drainLimitMs = drainLimitMs;
    long long start = Now();
    std::vector<HANDLE> threads;
    for (int i = 0; i < peers; ++i) {
        uintptr_t thread = _beginthreadex(nullptr, 64 * 1024, FloodPeer, &state, STACK_SIZE_PARAM_IS_A_RESERVATION,
                                          nullptr);
        if (thread) threads.push_back(reinterpret_cast<HANDLE>(thread));
    }
    // Ends early when every peer has sent its share.
    for (DWORD begun = GetTickCount();
         GetTickCount() - begun < sendLimitMs && state.sending.load() < static_cast<int>(threads.size());)
        Sleep(20);
    state.stop.store(true);
    for (HANDLE thread : threads) {
        if (WaitForSingleObject(thread, drainLimitMs + 5000) != WAIT_OBJECT_0) TerminateThread(thread, 1);
        CloseHandle(thread);
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    FloodResult result = {};
    result.peers = state.connected.load();
    result.peersDrained = state.drained.load();
    result.bytesDrained = state.drainedBytes.load();
    result.seconds = static_cast<double>(state.lastDrained.load() - start) / static_cast<double>(frequency.QuadPart);
    result.bytesPerSecond = result.seconds > 0 ? static_cast<double>(result.bytesDrained) / result.seconds : 0;
    return result;
}

namespace {

std::string ReadAll(const std::string& path)
{
    std::string text;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return text;
    char buffer[4096];
    for (size_t count; (count = fread(buffer, 1, sizeof(buffer), file)) > 0;) text.append(buffer, count);
    fclose(file);
    return text;
}

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

// The /proc folder of the host process of this prefix whose command line contains `match`.
std::string HostFolder(const std::string& match)
{
    const char* prefix = getenv("WINEPREFIX");
    if (!prefix || match.empty()) return "";
    std::string wanted = std::string("WINEPREFIX=") + prefix;
    wanted.push_back('\0');
    std::string lowerMatch = Lower(match);
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) return "";
    std::string found;
    do {
        std::string name = entry.cFileName;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string folder = "Z:\\proc\\" + name + "\\";
        std::string command = ReadAll(folder + "cmdline");
        if (Lower(command.substr(0, command.find('\0'))).find(lowerMatch) == std::string::npos) continue;
        std::string environment = ReadAll(folder + "environ");
        environment.push_back('\0');
        if (environment.find(wanted) == std::string::npos) continue;
        found = folder;
        break;
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return found;
}

double StatusKilobytes(const std::string& status, const char* key)
{
    size_t at = status.find(key);
    return at == std::string::npos ? 0 : atof(status.c_str() + at + strlen(key));
}

}  // namespace

ProcessProbe::ProcessProbe(HANDLE process, const std::string& hostMatch)
    : process_(process), host_(HostFolder(hostMatch))
{
}

int ProcessProbe::Threads() const
{
    if (UnderWine()) {
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((host_ + "task\\*").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) return -1;
        int count = 0;
        do count += entry.cFileName[0] != '.';
        while (FindNextFileA(find, &entry));
        FindClose(find);
        return count;
    }
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    DWORD id = GetProcessId(process_);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == id;
    CloseHandle(snapshot);
    return count;
}

Memory ProcessProbe::MemoryNow() const
{
    if (UnderWine()) {
        std::string status = ReadAll(host_ + "status");
        return {StatusKilobytes(status, "VmRSS:") / 1024, StatusKilobytes(status, "VmSize:") / 1024, "resident"};
    }
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(process_, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    return {counters.PrivateUsage / (1024.0 * 1024.0), 0, "private"};
}

double ProcessProbe::CpuSeconds() const
{
    if (UnderWine()) {
        // Fields 14 and 15 of stat, after the parenthesised name: user and system ticks.
        std::string stat = ReadAll(host_ + "stat");
        size_t close = stat.rfind(')');
        unsigned long long user = 0, system = 0;
        if (close == std::string::npos ||
            sscanf(stat.c_str() + close + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user,
                   &system) != 2)
            return -1;
        return static_cast<double>(user + system) / 100.0;
    }
    FILETIME created, ended, kernel, user;
    if (!process_ || !GetProcessTimes(process_, &created, &ended, &kernel, &user)) return -1;
    auto seconds = [](const FILETIME& time) {
        return static_cast<double>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

}  // namespace testing_support
