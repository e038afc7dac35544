#include "tests/support/ProjectorEmulator.h"

#include "core/projector/Pjlink.h"
#include "tests/support/Loopback.h"

namespace testing_support {

ProjectorEmulator::ProjectorEmulator(const Behaviour& behaviour) : behaviour_(behaviour)
{
    InitializeCriticalSection(&lock_);
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    uint16_t port = 0;
    listener_ = ListenLoopback(port, 4);
    port_ = port;
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
}

ProjectorEmulator::~ProjectorEmulator()
{
    stopping_ = true;
    closesocket(listener_);
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
    if (slow_) {
        WaitForSingleObject(slow_, 5000);
        CloseHandle(slow_);
    }
    DeleteCriticalSection(&lock_);
    WSACleanup();
}

int ProjectorEmulator::Power()
{
    EnterCriticalSection(&lock_);
    // A warm-up ends on, a cool-down off.
    if ((power_ == 2 || power_ == 3) && static_cast<LONG>(GetTickCount() - changeAt_) >= 0)
        power_ = power_ == 3 ? 1 : 0;
    int power = power_;
    LeaveCriticalSection(&lock_);
    return power;
}

std::vector<std::string> ProjectorEmulator::Commands()
{
    EnterCriticalSection(&lock_);
    std::vector<std::string> commands = commands_;
    LeaveCriticalSection(&lock_);
    return commands;
}

DWORD WINAPI ProjectorEmulator::ThreadMain(void* self)
{
    auto* emulator = static_cast<ProjectorEmulator*>(self);
    while (!emulator->stopping_) {
        SOCKET peer = accept(emulator->listener_, nullptr, nullptr);
        if (peer == INVALID_SOCKET) break;
        if (emulator->behaviour_.firstGreetingMs && !emulator->slow_) {
            emulator->slowPeer_ = peer;
            emulator->slow_ = CreateThread(nullptr, 0, SlowMain, emulator, 0, nullptr);
            continue;
        }
        emulator->Serve(peer);
        closesocket(peer);
    }
    return 0;
}

DWORD WINAPI ProjectorEmulator::SlowMain(void* self)
{
    auto* emulator = static_cast<ProjectorEmulator*>(self);
    Sleep(emulator->behaviour_.firstGreetingMs);
    emulator->Serve(emulator->slowPeer_);
    closesocket(emulator->slowPeer_);
    return 0;
}

std::string ProjectorEmulator::Answer(const std::string& body)
{
    if (body.size() < 7 || body.compare(0, 2, "%1") != 0 || body[6] != ' ') return "%1" + body.substr(2, 4) + "=ERR1";
    std::string name = body.substr(2, 4), value = body.substr(7);
    int power = Power();
    if (name == "LAMP" && value == "?")
        return "%1LAMP=" + std::to_string(behaviour_.lampHours) + (power == 1 ? " 1" : " 0");
    if (name == "ERST" && value == "?") return "%1ERST=" + behaviour_.errors;
    if (name != "POWR") return "%1" + name + "=ERR1";
    if (value == "?") return "%1POWR=" + std::to_string(power);
    if (value != "0" && value != "1") return "%1POWR=ERR2";
    if (behaviour_.failing) return "%1POWR=ERR4";
    if (power == 2 || power == 3) return "%1POWR=ERR3";
    EnterCriticalSection(&lock_);
    if (value == "1" && power_ == 0) {
        power_ = 3;
        changeAt_ = GetTickCount() + behaviour_.warmupMs;
    } else if (value == "0" && power_ == 1) {
        power_ = 2;
        changeAt_ = GetTickCount() + behaviour_.cooldownMs;
    }
    LeaveCriticalSection(&lock_);
    return "%1POWR=OK";
}

void ProjectorEmulator::Serve(SOCKET peer)
{
    if (behaviour_.silent) {
        Sleep(800);  // longer than any client here waits
        return;
    }
    const std::string random = "498e4a67";
    std::string greeting = behaviour_.password.empty() ? "PJLINK 0\r" : "PJLINK 1 " + random + "\r";
    send(peer, greeting.data(), static_cast<int>(greeting.size()), 0);
    bool first = true;
    std::string line;
    char c = 0;
    while (recv(peer, &c, 1, 0) == 1) {
        if (c != '\r') {
            line += c;
            continue;
        }
        if (first && !behaviour_.password.empty()) {
            std::string digest = projector::Md5Hex(random + behaviour_.password);
            if (line.compare(0, digest.size(), digest) != 0) {
                send(peer, "PJLINK ERRA\r", 12, 0);
                return;
            }
            line.erase(0, digest.size());
        }
        first = false;
        EnterCriticalSection(&lock_);
        commands_.push_back(line);
        LeaveCriticalSection(&lock_);
        std::string reply = Answer(line) + "\r";
        send(peer, reply.data(), static_cast<int>(reply.size()), 0);
        line.clear();
    }
}

}  // namespace testing_support
