#pragma once
// A projector on loopback that speaks PJLink class 1 as its specification gives it: the
// greeting with or without a random number, the password's digest in front of the first
// command, power states with warm-up and cool-down times, and the error answers.
#include <winsock2.h>

#include <atomic>
#include <string>
#include <vector>

namespace testing_support {

class ProjectorEmulator {
public:
    struct Behaviour {
        std::string password;          // empty: no authentication
        unsigned long warmupMs = 300;
        unsigned long cooldownMs = 300;
        bool failing = false;          // every power command answers ERR4
        bool silent = false;           // accepts, never greets
        long lampHours = 1234;         // "LAMP ?", one lamp
        std::string errors = "000000"; // "ERST ?"
        unsigned long firstGreetingMs = 0;  // the first connection is greeted this late, the others beside it
    };

    explicit ProjectorEmulator(const Behaviour& behaviour);
    ~ProjectorEmulator();
    ProjectorEmulator(const ProjectorEmulator&) = delete;
    ProjectorEmulator& operator=(const ProjectorEmulator&) = delete;

    unsigned short Port() const { return port_; }
    // 0 off, 1 on, 2 cooling down, 3 warming up.
    int Power();
    // Every command line received (without the digest), in order.
    std::vector<std::string> Commands();

private:
    static DWORD WINAPI ThreadMain(void* self);
    static DWORD WINAPI SlowMain(void* self);
    void Serve(SOCKET peer);
    std::string Answer(const std::string& body);

    Behaviour behaviour_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    HANDLE thread_ = nullptr;
    HANDLE slow_ = nullptr;
    SOCKET slowPeer_ = INVALID_SOCKET;
    std::atomic<bool> stopping_{false};
    CRITICAL_SECTION lock_;
    int power_ = 0;
    DWORD changeAt_ = 0;  // when a warm-up or cool-down ends
    std::vector<std::string> commands_;
};

}  // namespace testing_support
